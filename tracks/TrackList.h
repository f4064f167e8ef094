#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

// One piece of music as read from an audio file's tags, a CUE sheet or a playlist.
// Whatever was not there stays empty or 0.
struct Track {
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    int number = 0;        // track number on its disc, 1..999, 0 when unknown
    int disc = 0;          // disc number, 1..99, 0 when unknown
    int year = 0;          // 0 when unknown
    qint64 durationMs = 0; // 0 when unknown
    QString file;          // the file it came from (a path), empty when none
};

// A front cover found with the music: the picture's file bytes and the extension its
// loader wants, as its signature says (Picture::extensionBySignature: ".jpg", ".png", ...).
struct FoundCover {
    QByteArray bytes;
    QString extension;
    QString source; // what it came from, for the window: "b.flac", "cover.jpg"
    bool isEmpty() const { return bytes.isEmpty(); }
};

// What one reading gave: the tracks in the order they are played, the files that
// could not be read (skipped), and the cover found along the way.
struct TrackList {
    QList<Track> tracks;
    QStringList unreadable; // file names, as the window lists them
    QStringList missing;    // files a CUE sheet or playlist names that are not there
    FoundCover cover;
    // Why nothing could be read, as a whole Czech sentence (a sheet that is a FIFO or
    // too large, a failure of the reading itself); empty when the source was read.
    QString error;

    // The album as most tracks name it; empty when none does.
    QString album() const;
    // Who made the album: the album artist most tracks name, else the one artist of
    // every track, else (tracks by several artists) "Různí interpreti".
    QString artist() const;
    // Whether the tracks have more than one artist: a compilation.
    bool isCompilation() const;
    // The year most tracks give, 0 when none does.
    int year() const;
    // How many discs the tracks are on (at least 1 when there are tracks).
    int discCount() const;
    // The sum of the known durations.
    qint64 totalMs() const;
};

// The album's artist when the tracks are by several: what the front and spine say.
inline constexpr const char *kVariousArtists = "Různí interpreti";

// Orders file names as people count: "2" before "10", letters without regard to case.
bool naturalLess(const QString &a, const QString &b);

// The title a file name gives when its tags give none: the name without its leading
// track number and its extension ("01 - Úvod.flac" -> "Úvod").
QString titleFromFileName(const QString &fileName);

// The first number a tag value starts with, as track and disc numbers are written
// ("3", "3/12", " 07"); 0 when there is none, or it is 0 or above max.
int leadingNumber(const QString &value, int max);

} // namespace korvel
