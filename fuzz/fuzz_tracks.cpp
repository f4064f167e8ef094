// Feeds arbitrary bytes to the CUE sheet and playlist readers, as a file of either
// kind arrives: its encoding guessed, decoded, parsed, turned into tracks and written
// as the lines of the contents list in every style.
#include <QCoreApplication>

#include "tracks/CueSheet.h"
#include "tracks/Playlist.h"
#include "tracks/TextEncoding.h"
#include "tracks/TrackFormat.h"

using namespace korvel;

namespace {

void writeEveryWay(const TrackList &list)
{
    for (TrackFormat::Style style : kTrackStyles)
        for (bool discNumbers : {false, true}) {
            TrackFormat format;
            format.style = style;
            format.leadingZeros = true;
            format.total = true;
            format.discNumbers = discNumbers;
            format.discHeadings = !discNumbers;
            format.dotLeader = discNumbers;
            const QStringList lines = formatTracks(list, format);
            // One line per track at least, a heading per disc and the total at most.
            if (lines.size() < list.tracks.size() || lines.size() > 2 * list.tracks.size() + 1)
                __builtin_trap();
            // The contents list's last tab stands each length at its right edge: a
            // line has at most one tab, and only the column style writes it.
            for (const QString &line : lines)
                if (line.count(QLatin1Char('\t')) > (style == TrackFormat::Style::Column ? 1 : 0))
                    __builtin_trap();
        }
    (void)list.album();
    (void)list.artist();
    (void)list.year();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextEncoding detected = detectEncoding(bytes);
    for (TextEncoding encoding : {detected, TextEncoding::Windows1252}) {
        const QString text = decodeText(bytes, encoding);

        const CueSheet sheet = parseCueSheet(text);
        if (sheet.tracks.size() > CueSheet::kMaxTracks)
            __builtin_trap();
        // The audio files last as long as the input is bytes, in seconds.
        const TrackList cue = cueTracks(sheet, [size](const QString &) { return qint64(size) * 1000; });
        for (const Track &t : cue.tracks)
            if (t.durationMs < 0 || t.title.isEmpty())
                __builtin_trap();
        writeEveryWay(cue);

        TrackList playlist;
        for (const PlaylistEntry &entry : parsePlaylist(text)) {
            Track t;
            t.title = entry.title.isEmpty() ? titleFromFileName(entry.location) : entry.title;
            t.artist = entry.artist;
            t.durationMs = entry.durationMs;
            if (t.durationMs < 0)
                __builtin_trap();
            playlist.tracks << t;
        }
        writeEveryWay(playlist);
    }
    return 0;
}
