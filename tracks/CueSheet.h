#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "tracks/RegularFile.h"
#include "tracks/TextEncoding.h"
#include "tracks/TrackList.h"

namespace korvel {

// A CUE sheet as far as the contents list needs it: the album's TITLE and PERFORMER
// (and REM DATE), each TRACK with its TITLE, PERFORMER, the FILE it is in and where
// its INDEX 01 starts. Every other command is passed over; a line that makes no
// sense is skipped, never refused.
struct CueSheet {
    struct Entry {
        int number = 0;
        QString title;
        QString performer;
        QString file;
        qint64 startMs = -1; // -1 while no INDEX 01 was given
    };
    QString title;
    QString performer;
    int year = 0;
    QList<Entry> tracks;

    // At most this many tracks are read (a CD holds 99); the sheet's lines after
    // them are passed over.
    static constexpr int kMaxTracks = 999;
};

CueSheet parseCueSheet(const QString &text);

// The sheet's tracks: each lasts until the next track of its file starts; the last
// of a file lasts until the file's end, whose length fileLength(FILE) gives (0 when
// the file is not there: its duration is then unknown).
TrackList cueTracks(const CueSheet &sheet, const std::function<qint64(const QString &file)> &fileLength);

// Reads a CUE sheet file, in encoding or in the one it appears to be written in
// (detectEncoding); *used tells which. The audio files it names are looked for
// beside it: by their name, in any case, or with another audio extension (a sheet
// written for "album.wav" beside "album.flac"). The cover is one embedded in them,
// else the folder's picture file. Throws nothing: a file that cannot be read gives
// no tracks and says why in the list's error. progress(done, total) is called after each audio file looked for, as
// readFolder calls it; false stops there (the files not read give no length).
TrackList readCueSheet(const QString &path, std::optional<TextEncoding> encoding = std::nullopt,
                       TextEncoding *used = nullptr,
                       const std::function<bool(int done, int total)> &progress = {});

// Finds a file a list names, beside the list: the path itself, the name in any
// case, or (audio) the same name with another audio extension. Empty when none.
QString findListedFile(const QString &folder, const QString &name);

// Reads the text file a list is in (CUE sheet, playlist): a regular file of at most
// kMaxListFileSize bytes. A FIFO, a device, a link to one or a larger file is refused
// at once with a Czech sentence saying why; what names the file in it ("Soubor CUE").
RegularFileContent readListFile(const QString &path, const QString &what);
// A sheet's or playlist's text, read as readListFile does and decoded in encoding, or
// in the one its bytes show (*used tells which); empty with *error set when the file
// was refused.
QString readListText(const QString &path, const QString &what, std::optional<TextEncoding> encoding,
                     TextEncoding *used, QString *error);
inline constexpr qint64 kMaxListFileSize = 4 * 1024 * 1024;

} // namespace korvel
