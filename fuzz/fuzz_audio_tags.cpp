// Feeds arbitrary bytes to TagLib as an audio file of the kind the first byte picks,
// through the same path as the folder reader: the file's tags and length read, the
// tracks assembled (titles from names, discs, order, the cover) and written as the
// contents list. Missing tags, zero or huge lengths and numbers such as "3/12" or
// "0" all come this way.
#include <QCoreApplication>

#include "picture/Picture.h"
#include "tracks/AudioTags.h"
#include "tracks/FolderReader.h"
#include "tracks/TrackFormat.h"

using namespace korvel;

namespace {
const char *const kExtensions[] = {"mp3", "flac", "ogg", "opus", "m4a", "wav", "aiff", "wma", "ape"};
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QString extension = QString::fromLatin1(kExtensions[data[0] % std::size(kExtensions)]);
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const std::optional<AudioFile> audio = readAudioData(bytes, QStringLiteral("01 - x.") + extension);
    if (audio) {
        const Track &t = audio->track;
        if (t.number < 0 || t.number > 999 || t.disc < 0 || t.disc > 99 || t.durationMs < 0)
            __builtin_trap();
        if (!audio->cover.isEmpty() && Picture::extensionBySignature(audio->cover.bytes).isEmpty())
            __builtin_trap();
    }
    // As a folder holding the file twice (once in a disc's subfolder) and a file
    // that could not be read.
    const QList<ReadFile> files{{{QStringLiteral("/m/01 - x.") + extension, 0}, audio},
                                {{QStringLiteral("/m/CD2/2 y.") + extension, 2}, audio},
                                {{QStringLiteral("/m/z.") + extension, 0}, std::nullopt}};
    const TrackList list = assembleTracks(files);
    if (list.unreadable.size() != (audio ? 1 : 3))
        __builtin_trap();
    for (TrackFormat::Style style : kTrackStyles) {
        TrackFormat format;
        format.style = style;
        format.total = true;
        (void)formatTracks(list, format);
    }
    (void)list.album();
    (void)list.artist();
    return 0;
}
