// Reading the tracks of music for the contents list, as the window "Načíst skladby"
// does on its worker thread: folders of FLAC files (their tags and lengths read by
// TagLib, with the files in the system's cache after the first round) and a CUE sheet
// of a whole CD. And a folder with one recording of hundreds of megabytes beside the
// tracks, which must not make the list wait.
#include <benchmark/benchmark.h>

#include <QDir>
#include <cstdio>
#include <QFile>
#include <QTemporaryDir>

#include "tests/AudioTestUtil.h"

#include "tracks/CueSheet.h"
#include "tracks/FolderReader.h"
#include "tracks/TrackFormat.h"

using namespace korvel;

namespace {

QString audio(const char *relative)
{
    return QStringLiteral(KORVEL_TEST_DATA "/audio/") + QString::fromUtf8(relative);
}

// A folder of count tagged FLAC files, each with its own title and number.
void readFolderOfFlac(benchmark::State &state)
{
    const int count = int(state.range(0));
    QTemporaryDir dir;
    const QStringList sources{audio("album/a.flac"), audio("album/b.flac"), audio("album/c.flac")};
    for (int i = 0; i < count; ++i)
        QFile::copy(sources[i % sources.size()], dir.filePath(QStringLiteral("%1 skladba.flac").arg(i + 1, 3, 10, QLatin1Char('0'))));
    (void)readFolder(dir.path()); // warm: the files are in the cache
    for (auto _ : state) {
        const TrackList list = readFolder(dir.path());
        if (list.tracks.size() != count)
            state.SkipWithError("not every file was read");
        benchmark::DoNotOptimize(list.tracks.data());
    }
    state.counters["files"] = count;
}

void BM_TracksFromAFolderOf20Flac(benchmark::State &state)
{
    readFolderOfFlac(state);
}
BENCHMARK(BM_TracksFromAFolderOf20Flac)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_TracksFromAFolderOf200Flac(benchmark::State &state)
{
    readFolderOfFlac(state);
}
BENCHMARK(BM_TracksFromAFolderOf200Flac)->Arg(200)->Unit(benchmark::kMillisecond);

// 20 FLAC tracks and a 500 MB MP3 without a length header whose sound stops after a
// few frames (a recording cut off, the rest a hole in the file): TagLib alone
// searches all of it backwards for the last frame, some 20 s. Target: under 1 s for
// the whole folder.
void BM_TracksFromAFolderWithA500MbMp3(benchmark::State &state)
{
    QTemporaryDir dir;
    const QStringList sources{audio("album/a.flac"), audio("album/b.flac"), audio("album/c.flac")};
    for (int i = 0; i < 20; ++i)
        QFile::copy(sources[i % sources.size()], dir.filePath(QStringLiteral("%1 skladba.flac").arg(i + 1, 2, 10, QLatin1Char('0'))));
    const QString big = dir.filePath(QStringLiteral("21 celý koncert.mp3"));
    if (!test::writeMp3WithoutLengthHeader(big, "Cely koncert", 500LL * 1024 * 1024)) {
        state.SkipWithError("the large file could not be made");
        return;
    }
    (void)readFolder(dir.path());
    for (auto _ : state) {
        const TrackList list = readFolder(dir.path());
        if (list.tracks.size() != 21 || list.tracks.last().durationMs <= 0)
            state.SkipWithError("not every file was read");
        benchmark::DoNotOptimize(list.tracks.data());
    }
}
BENCHMARK(BM_TracksFromAFolderWithA500MbMp3)->Unit(benchmark::kMillisecond);

// A CUE sheet of 99 tracks in Windows-1250 over one FLAC image beside it (whose length
// gives the last track's), read, decoded, parsed and written as lines.
void BM_TracksFromACueSheetOf99(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile::copy(audio("cue/deska.flac"), dir.filePath(QStringLiteral("deska.flac")));
    QByteArray cue = "REM DATE 1987\r\nPERFORMER \"Hudba Praha\"\r\nTITLE \"P\xEDsn\xEC z \xFA\x64ol\xED\"\r\n"
                     "FILE \"deska.flac\" WAVE\r\n";
    for (int i = 1; i <= 99; ++i) {
        const int frames = (i - 1) * 2;
        char track[128];
        std::snprintf(track, sizeof track, "  TRACK %02d AUDIO\r\n    TITLE \"P\xED" "se\xF2 %d\"\r\n    INDEX 01 00:%02d:%02d\r\n",
                      i, i, frames / 75, frames % 75);
        cue += track;
    }
    const QString path = dir.filePath(QStringLiteral("deska.cue"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(cue);
    file.close();
    for (auto _ : state) {
        const TrackList list = readCueSheet(path);
        if (list.tracks.size() != 99)
            state.SkipWithError("not every track was read");
        benchmark::DoNotOptimize(formatTracks(list, TrackFormat()));
    }
}
BENCHMARK(BM_TracksFromACueSheetOf99)->Unit(benchmark::kMillisecond);

} // namespace
