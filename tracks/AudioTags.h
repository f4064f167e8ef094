#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

#include "tracks/TrackList.h"

namespace korvel {

// One audio file as TagLib reads it: the tags and the length, and a front cover
// embedded in it (ID3v2 APIC, a FLAC PICTURE block, MP4 covr, a Vorbis comment's
// METADATA_BLOCK_PICTURE, a WMA picture).
struct AudioFile {
    Track track;
    FoundCover cover;
};

// Whether a file name is of a kind read here: MP3, FLAC, Ogg Vorbis, Opus, M4A/AAC,
// WAV, AIFF, WMA, APE (by extension, case-insensitive).
bool isAudioFileName(const QString &fileName);

// Reads a file; its kind is chosen by its extension. Nothing when TagLib cannot
// read it (damaged, not what its name says, gone). Missing tags stay empty; the
// title is then left empty too (the caller names it after the file).
std::optional<AudioFile> readAudioFile(const QString &path);
// The same for a file's bytes in memory, named fileName (its extension decides).
std::optional<AudioFile> readAudioData(const QByteArray &bytes, const QString &fileName);

} // namespace korvel
