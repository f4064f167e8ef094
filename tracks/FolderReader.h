#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "tracks/AudioTags.h"
#include "tracks/TrackList.h"

namespace korvel {

// The audio files of a folder: its own and those of its subfolders one level deep
// ("CD1", "CD2"), each subfolder a disc in the folders' natural order.
struct FolderListing {
    struct Entry {
        QString path;
        int folderDisc = 0; // 1.. for the files of the n-th subfolder with audio, 0 for the folder's own
    };
    QList<Entry> files;
    QString coverFile; // cover.jpg, folder.jpg or front.jpg (or .png) beside the music, empty when none
};
FolderListing listAudioFiles(const QString &folder);

// One read file, or one that could not be read.
struct ReadFile {
    FolderListing::Entry entry;
    std::optional<AudioFile> audio;
};

// The tracks of read files: a file without a title is named after its file, one
// without a disc number takes its folder's, and the tracks are ordered by disc, then
// track number, then file name as people count. Unreadable files are listed and
// skipped; the first embedded front cover found is kept. The folder reader and the
// fuzz target of audio files both go through here.
TrackList assembleTracks(const QList<ReadFile> &files);

// The folder's own picture of the album: cover.jpg, folder.jpg or front.jpg (or
// .jpeg, .png; any case), empty when there is none.
QString folderCoverFile(const QString &folder);
// A picture file as a found cover; empty when its first bytes are no picture
// Picture::extensionBySignature knows, it is larger than any cover
// (kMaxCoverFileSize), or it is no regular file.
FoundCover readCoverFile(const QString &path);
inline constexpr qint64 kMaxCoverFileSize = 64 * 1024 * 1024;

// Reads every audio file of a folder (listAudioFiles) into a track list; the cover
// is an embedded one, else the folder's picture file. progress(done, total) is
// called after each file; it returns false to stop reading (the result is then
// what was read so far).
TrackList readFolder(const QString &folder, const std::function<bool(int done, int total)> &progress = {});

} // namespace korvel
