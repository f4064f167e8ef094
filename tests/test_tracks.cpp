// The contents list read from music: folders of audio files, CUE sheets and playlists
// read into tracks, the tracks written as lines, and what applying them fills.
#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QFontMetricsF>
#include <QTemporaryDir>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AudioTestUtil.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/DocumentHistory.h"
#include "tracks/AudioTags.h"
#include "tracks/CueSheet.h"
#include "tracks/FolderReader.h"
#include "tracks/Playlist.h"
#include "tracks/TextEncoding.h"
#include "tracks/TrackFormat.h"
#include "project/TrackImport.h"
#include "tracks/TrackReader.h"

using namespace korvel;

namespace {

QString audio(const char *relative)
{
    return QStringLiteral(KORVEL_TEST_DATA "/audio/") + QString::fromUtf8(relative);
}

QStringList titles(const TrackList &list)
{
    QStringList out;
    for (const Track &t : list.tracks)
        out << t.title;
    return out;
}

QList<int> seconds(const TrackList &list)
{
    QList<int> out;
    for (const Track &t : list.tracks)
        out << int((t.durationMs + 500) / 1000);
    return out;
}

Track track(const char *title, const char *artist, int number, qint64 ms, int disc = 0)
{
    Track t;
    t.title = QString::fromUtf8(title);
    t.artist = QString::fromUtf8(artist);
    t.number = number;
    t.durationMs = ms;
    t.disc = disc;
    return t;
}

} // namespace

TEST(TrackReading, FoldersOfEveryKindGiveTitlesNumbersLengthsAndCovers)
{
    // FLAC, numbered 1, 2, 10 in files named otherwise; the front cover embedded in one.
    const TrackList album = readFolder(audio("album"));
    EXPECT_EQ(titles(album), (QStringList{QStringLiteral("Příliš žluťoučký kůň"), QStringLiteral("Úpěl ďábelské ódy"),
                                          QStringLiteral("Čtvrtá a poslední")}));
    EXPECT_EQ(seconds(album), (QList<int>{1, 2, 3}));
    EXPECT_EQ(album.album(), QStringLiteral("Žlutá ponorka"));
    EXPECT_EQ(album.artist(), QStringLiteral("Hudba Praha"));
    EXPECT_EQ(album.year(), 1999);
    EXPECT_FALSE(album.isCompilation());
    EXPECT_EQ(album.cover.extension, QStringLiteral(".jpg"));
    EXPECT_EQ(album.cover.source, QStringLiteral("b.flac"));

    // MP3 tagged by id3v2 with "n/3" numbers, by three artists; an APIC front cover.
    const TrackList compilation = readFolder(audio("compilation"));
    EXPECT_EQ(titles(compilation), (QStringList{QStringLiteral("Jaro"), QStringLiteral("Léto"), QStringLiteral("Podzim")}));
    EXPECT_EQ(compilation.tracks.value(2).number, 3);
    EXPECT_TRUE(compilation.isCompilation());
    EXPECT_EQ(compilation.artist(), QStringLiteral("Různí interpreti"));
    EXPECT_EQ(compilation.year(), 2020);
    EXPECT_EQ(compilation.cover.source, QStringLiteral("01.mp3"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(compilation.tracks.value(i).durationMs, (QList<int>{2000, 1000, 2000}).value(i), 300) << i;

    // Vorbis in CD1 (DISCNUMBER=1), Opus in CD2 (none: the folder's order); cover.jpg.
    const TrackList twodisc = readFolder(audio("twodisc"));
    EXPECT_EQ(titles(twodisc), (QStringList{QStringLiteral("Disk jedna 1"), QStringLiteral("Disk jedna 2"),
                                            QStringLiteral("Disk dva 1"), QStringLiteral("Disk dva 2")}));
    EXPECT_EQ(twodisc.tracks.value(3).disc, 2);
    EXPECT_EQ(twodisc.discCount(), 2);
    EXPECT_EQ(twodisc.cover.source, QStringLiteral("cover.jpg"));
    EXPECT_EQ(seconds(twodisc), (QList<int>{1, 1, 1, 1}));

    // M4A with covr, WAV, AIFF and WMA, each tagged by ffmpeg.
    const TrackList mixed = readFolder(audio("mixed"));
    EXPECT_EQ(titles(mixed), (QStringList{QStringLiteral("Jedna v M4A"), QStringLiteral("Dvě ve WAV"),
                                          QStringLiteral("Tři v AIFF"), QStringLiteral("Čtyři ve WMA")}));
    EXPECT_EQ(mixed.artist(), QStringLiteral("Smíšení"));
    EXPECT_EQ(mixed.cover.source, QStringLiteral("1.m4a"));
    EXPECT_EQ(seconds(mixed), (QList<int>{1, 1, 1, 1}));

    // Monkey's Audio (a header and an APEv2 tag written by Mutagen).
    const TrackList ape = readFolder(audio("ape"));
    ASSERT_EQ(ape.tracks.size(), 1);
    EXPECT_EQ(ape.tracks[0].title, QStringLiteral("Opičí píseň"));
    EXPECT_EQ(ape.tracks[0].number, 5);
    EXPECT_EQ(ape.tracks[0].durationMs, 2000);
    EXPECT_EQ(ape.year(), 2011);

    // No tags: titles from the names, in the order people count; the damaged file is
    // named and skipped, the text file not even looked at.
    int calls = 0;
    const TrackList untagged = readFolder(audio("untagged"), [&](int done, int total) {
        ++calls;
        EXPECT_EQ(total, 4);
        EXPECT_EQ(done, calls);
        return true;
    });
    EXPECT_EQ(titles(untagged), (QStringList{QStringLiteral("Úvod"), QStringLiteral("Druhá"), QStringLiteral("Desátá")}));
    EXPECT_EQ(untagged.unreadable, QStringList{QStringLiteral("poškozený.mp3")});
    EXPECT_TRUE(untagged.cover.isEmpty());
    EXPECT_EQ(readFolder(audio("untagged"), [](int, int) { return false; }).tracks.size(), 1) << "stopped after one";
}

TEST(TrackReading, CueSheetsAndPlaylistsInTheirEncodings)
{
    // Windows-1250, lengths from the INDEX gaps and, for the last, from the FLAC file.
    TextEncoding used = TextEncoding::Utf8;
    const TrackList cue = readCueSheet(audio("cue/deska.cue"), std::nullopt, &used);
    EXPECT_EQ(used, TextEncoding::Windows1250);
    EXPECT_EQ(titles(cue), (QStringList{QStringLiteral("Úvodní"), QStringLiteral("Říční"), QStringLiteral("Závěrečná")}));
    EXPECT_EQ(seconds(cue), (QList<int>{1, 1, 2}));
    EXPECT_EQ(cue.album(), QStringLiteral("Písně z údolí"));
    EXPECT_EQ(cue.artist(), QStringLiteral("Kühn a Řeřicha")) << "the sheet's performer is the album's";
    EXPECT_EQ(cue.tracks.value(2).artist, QStringLiteral("Host"));
    EXPECT_EQ(cue.year(), 1987);
    EXPECT_TRUE(cue.missing.isEmpty());
    // The same sheet read as Windows-1252 at the user's word.
    EXPECT_EQ(readCueSheet(audio("cue/deska.cue"), TextEncoding::Windows1252).tracks.value(1).title,
              QString::fromLatin1("\xD8\xED\xE8n\xED"));

    // UTF-8 with a byte order mark; its audio file is missing: the last length unknown.
    const TrackList bom = readCueSheet(audio("cue/bom.cue"), std::nullopt, &used);
    EXPECT_EQ(used, TextEncoding::Utf8);
    EXPECT_EQ(bom.artist(), QStringLiteral("Žofie"));
    EXPECT_EQ(titles(bom), (QStringList{QStringLiteral("První píseň"), QStringLiteral("Druhá píseň")}));
    EXPECT_EQ(seconds(bom), (QList<int>{225, 0}));
    EXPECT_EQ(bom.missing, QStringList{QStringLiteral("chybí.wav")});

    // A playlist in its own order, numbered by place; the missing file from #EXTINF.
    const TrackList playlist = readPlaylist(audio("playlist.m3u8"));
    EXPECT_EQ(titles(playlist), (QStringList{QStringLiteral("Úpěl ďábelské ódy"), QStringLiteral("Příliš žluťoučký kůň"),
                                             QStringLiteral("Ztracená"), QStringLiteral("Čtvrtá a poslední")}));
    EXPECT_EQ(seconds(playlist), (QList<int>{2, 1, 225, 3}));
    EXPECT_EQ(playlist.tracks.value(2).artist, QStringLiteral("Jiný"));
    EXPECT_EQ(playlist.tracks.value(3).number, 4);
    EXPECT_EQ(playlist.missing, QStringList{QStringLiteral("ztracená.mp3")});
    EXPECT_FALSE(playlist.cover.isEmpty());
    EXPECT_EQ(readPlaylist(audio("playlist.m3u8"), std::nullopt, nullptr, [](int, int) { return false; }).tracks.size(), 1)
        << "stopped after one";
    QList<int> counted;
    readCueSheet(audio("cue/deska.cue"), std::nullopt, nullptr, [&](int done, int total) {
        counted << done << total;
        return true;
    });
    EXPECT_EQ(counted, (QList<int>{1, 1})) << "the one audio file the sheet names";

    // The reader on its thread gives the same as reading at once.
    TrackReader reader;
    TrackList threaded;
    QObject::connect(&reader, &TrackReader::finished, [&](const TrackList &list, TextEncoding) { threaded = list; });
    reader.read(audio("album"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !reader.isReading(); }, 20000));
    EXPECT_EQ(titles(threaded), titles(readFolder(audio("album"))));
    EXPECT_EQ(TrackReader::kindOf(audio("playlist.m3u8")), TrackReader::Kind::Playlist);
    EXPECT_EQ(TrackReader::kindOf(audio("cue")), TrackReader::Kind::Folder);
    EXPECT_EQ(TrackReader::kindOf(audio("make.sh")), TrackReader::Kind::None);
}

// Reads path on the reader's thread; nothing when the reading does not end within
// the wait (it would hang the window that started it).
std::optional<TrackList> readThreaded(const QString &path)
{
    TrackReader reader;
    std::optional<TrackList> result;
    QObject::connect(&reader, &TrackReader::finished, [&](const TrackList &list, TextEncoding) { result = list; });
    reader.read(path);
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 10000))
        return std::nullopt;
    return result;
}

TEST(TrackReading, SheetsPlaylistsAndMusicThatAreNoFilesAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("roura.cue")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("roura.m3u"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("nuly.m3u8"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("nuly.cue"))));
    // A sheet larger than any sheet: a hole of 5 MB.
    QFile large(dir.filePath(QStringLiteral("velký.cue")));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.write("TITLE \"x\"\n") > 0 && large.resize(5 * 1024 * 1024));
    large.close();

    const struct {
        const char *name;
        const char *reason;
    } refused[] = {{"roura.cue", "není obyčejný soubor"},
                   {"roura.m3u", "není obyčejný soubor"},
                   {"nuly.m3u8", "není obyčejný soubor"},
                   {"nuly.cue", "není obyčejný soubor"},
                   {"velký.cue", "je větší než 4 MB"},
                   {"chybí.cue", "neexistuje"}};
    for (const auto &r : refused) {
        const std::optional<TrackList> list = readThreaded(dir.filePath(QString::fromUtf8(r.name)));
        ASSERT_TRUE(list) << r.name << ": the reading did not end";
        EXPECT_TRUE(list->tracks.isEmpty()) << r.name;
        EXPECT_TRUE(list->error.contains(QString::fromUtf8(r.name))) << list->error.toStdString();
        EXPECT_TRUE(list->error.contains(QString::fromUtf8(r.reason))) << list->error.toStdString();
    }

    // A folder of music with a FIFO and links to devices named like music and like its
    // cover: the music is read, the rest passed over.
    QTemporaryDir folder;
    for (const char *name : {"a.flac", "b.flac"})
        ASSERT_TRUE(QFile::copy(audio("album/") + QString::fromLatin1(name), folder.filePath(QString::fromLatin1(name))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("c.flac"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("d.mp3"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/urandom"), folder.filePath(QStringLiteral("folder.jpg"))));
    const std::optional<TrackList> music = readThreaded(folder.path());
    ASSERT_TRUE(music) << "the reading did not end";
    EXPECT_EQ(music->tracks.size(), 2);
    EXPECT_EQ(music->cover.source, QStringLiteral("b.flac")) << "the embedded cover, not the device";
    EXPECT_TRUE(readCoverFile(folder.filePath(QStringLiteral("folder.jpg"))).isEmpty());
    EXPECT_FALSE(readAudioFile(folder.filePath(QStringLiteral("c.flac"))));
    EXPECT_FALSE(readAudioFile(folder.filePath(QStringLiteral("d.mp3"))));
}

TEST(TrackReading, AHugeMp3WithoutALengthHeaderIsReadWithoutSearchingItAll)
{
    // 2 GB, all but a few frames of it a hole: TagLib alone searches every byte of it
    // backwards for the last frame. The length is then the stream's size at the
    // first frame's bitrate.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dlouhá.mp3"));
    const qint64 size = 2LL * 1024 * 1024 * 1024;
    ASSERT_TRUE(test::writeMp3WithoutLengthHeader(path, "Dlouha", size));
    const std::optional<AudioFile> file = readAudioFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->track.title, QStringLiteral("Dlouha"));
    EXPECT_EQ(file->track.durationMs, 0) << "longer than a day: no real length";

    const qint64 hour = 3600LL * 128000 / 8; // bytes at 128 kbit/s
    ASSERT_TRUE(test::writeMp3WithoutLengthHeader(path, "Hodina", hour));
    const std::optional<AudioFile> shorter = readAudioFile(path);
    ASSERT_TRUE(shorter);
    EXPECT_NEAR(shorter->track.durationMs, 3600 * 1000, 1000);

    // The same file with its frames to the end: TagLib finds the last frame itself.
    ASSERT_TRUE(test::writeMp3WithoutLengthHeader(path, "Cela", 0, 2000));
    const std::optional<AudioFile> real = readAudioFile(path);
    ASSERT_TRUE(real);
    EXPECT_NEAR(real->track.durationMs, 2000 * 417 * 8 / 128, 30) << "2000 frames of 417 bytes at 128 kbit/s";
}

TEST(TrackReading, EncodingsNumbersAndOddInputs)
{
    EXPECT_EQ(detectEncoding("TITLE \"P\xC5\x99\xC3\xAD\"\n"), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding("P\xF8\xED\xB9" "ern\xEC k\xF9\xF2"), TextEncoding::Windows1250);  // Příšerně kůň
    EXPECT_EQ(detectEncoding("Cr\xE8me br\xFBl\xE9" "e \xE0 la"), TextEncoding::Windows1252); // Crème brûlée à la
    EXPECT_EQ(detectEncoding("\xBF\x41\xF1o?"), TextEncoding::Windows1252);                  // ¿Año?
    EXPECT_EQ(decodeText("\xEF\xBB\xBFx", TextEncoding::Utf8), QStringLiteral("x"));

    EXPECT_EQ(leadingNumber(QStringLiteral("3/12"), 999), 3);
    EXPECT_EQ(leadingNumber(QStringLiteral(" 07"), 999), 7);
    EXPECT_EQ(leadingNumber(QStringLiteral("0"), 999), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("99999999999999999999"), 999), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("A1"), 999), 0);
    EXPECT_TRUE(naturalLess(QStringLiteral("2 b.mp3"), QStringLiteral("10 a.mp3")));
    EXPECT_TRUE(naturalLess(QStringLiteral("cd1"), QStringLiteral("CD2")));
    EXPECT_FALSE(naturalLess(QStringLiteral("007"), QStringLiteral("7")) && naturalLess(QStringLiteral("7"), QStringLiteral("007")));
    EXPECT_EQ(titleFromFileName(QStringLiteral("01 - Úvod.flac")), QStringLiteral("Úvod"));
    EXPECT_EQ(titleFromFileName(QStringLiteral("03. Píseň.mp3")), QStringLiteral("Píseň"));
    EXPECT_EQ(titleFromFileName(QStringLiteral("1984.mp3")), QStringLiteral("1984"));

    // Lines that make no sense are skipped: an unclosed quote, times out of range, an
    // INDEX before any TRACK, a TRACK without a title.
    const CueSheet sheet = parseCueSheet(QStringLiteral("INDEX 01 00:00:00\nTITLE \"Album\nFILE x.wav\n"
                                                        "TRACK 01 AUDIO\nINDEX 01 00:61:00\n"
                                                        "TRACK 02 AUDIO\n  index 01 01:00:74\r\nTRACK\n"));
    EXPECT_EQ(sheet.title, QStringLiteral("Album"));
    ASSERT_EQ(sheet.tracks.size(), 3);
    EXPECT_EQ(sheet.tracks[0].startMs, -1);
    EXPECT_EQ(sheet.tracks[1].startMs, 60986);
    const TrackList odd = cueTracks(sheet, [](const QString &) { return qint64(120000); });
    EXPECT_EQ(titles(odd), (QStringList{QStringLiteral("Skladba 1"), QStringLiteral("Skladba 2"), QStringLiteral("Skladba 3")}));
    EXPECT_EQ(odd.tracks[1].durationMs, 0) << "the next track has no start: the file's end is not this track's end";
    const QString many = QStringLiteral("TITLE Album\n") + QStringLiteral("TRACK 01 AUDIO\n").repeated(CueSheet::kMaxTracks);
    EXPECT_EQ(parseCueSheet(many + QStringLiteral("TRACK 01 AUDIO\nTITLE Navíc\n")).title, QStringLiteral("Album"))
        << "a track past the limit names nothing";

    const QList<PlaylistEntry> entries = parsePlaylist(QStringLiteral(
        "#EXTM3U\r\n#EXTINF:-1,Stream\r\nhttp://radio/x\r\n#EXTINF:12.5 tvg=\"a,b\",A - B - C\r\nc:\\hudba\\x.mp3\r\n#EXTINF:\r\n"));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].durationMs, 0);
    EXPECT_EQ(entries[1].durationMs, 12500);
    EXPECT_EQ(entries[1].artist, QStringLiteral("A"));
    EXPECT_EQ(entries[1].title, QStringLiteral("B - C"));

    // Bytes that are no audio file of the kind their name says.
    EXPECT_FALSE(readAudioData(QByteArray(100, 'x'), QStringLiteral("a.flac")));
    EXPECT_FALSE(readAudioData(QByteArray(), QStringLiteral("a.m4a")));
    EXPECT_FALSE(readAudioData(QByteArray("ID3\x04\x00\x00\x00\x00\x00\x00", 10), QStringLiteral("a.txt")));
}

TEST(TrackFormatting, StylesOptionsDiscsAndTotals)
{
    TrackList list;
    list.tracks << track("Jaro", "Anna", 1, 225000) << track("Léto", "Anna", 2, 0) << track("Podzim", "Anna", 10, 3723400);
    TrackFormat f;
    EXPECT_EQ(formatTracks(list, f), (QStringList{QStringLiteral("1. Jaro (3:45)"), QStringLiteral("2. Léto"),
                                                  QStringLiteral("10. Podzim (1:02:03)")}));
    f.style = TrackFormat::Style::Plain;
    f.total = true;
    EXPECT_EQ(formatTracks(list, f), (QStringList{QStringLiteral("01 Jaro 3:45"), QStringLiteral("02 Léto"),
                                                  QStringLiteral("10 Podzim 1:02:03"), QStringLiteral("Celkem 65:48")}));
    f.style = TrackFormat::Style::WithArtist;
    f.durations = false;
    f.total = false;
    f.leadingZeros = true;
    EXPECT_EQ(formatTracks(list, f).value(0), QStringLiteral("01. Jaro")) << "one artist: not named on every line";
    list.tracks[1].artist = QStringLiteral("Bohouš");
    EXPECT_EQ(formatTracks(list, f).value(1), QStringLiteral("02. Bohouš – Léto"));
    EXPECT_EQ(suggestedFormat(list).style, TrackFormat::Style::WithArtist);
    // The column style: a tab before each length and before the total, which the
    // contents list stands at its right edge; dots lead to them when asked for, and a
    // title's own "…" asks for none.
    f.style = TrackFormat::Style::Column;
    f.durations = true;
    f.total = true;
    list.tracks[1].title = QStringLiteral("Léto…");
    EXPECT_EQ(formatTracks(list, f), (QStringList{QStringLiteral("01. Jaro\t3:45"), QStringLiteral("02. Léto..."),
                                                  QStringLiteral("10. Podzim\t1:02:03"), QStringLiteral("Celkem\t65:48")}));
    f.dotLeader = true;
    EXPECT_EQ(formatTracks(list, f).value(0), QStringLiteral("01. Jaro…\t3:45"));
    EXPECT_EQ(formatTracks(list, f).value(3), QStringLiteral("Celkem\t65:48"));

    // Two discs: a heading before each, numbers from each disc's start where missing.
    TrackList discs;
    discs.tracks << track("A", "X", 0, 1000, 1) << track("B", "X", 0, 1000, 1) << track("C", "X", 0, 61000, 2);
    EXPECT_EQ(formatTracks(discs, TrackFormat()), (QStringList{QStringLiteral("CD 1"), QStringLiteral("1. A (0:01)"),
                                                               QStringLiteral("2. B (0:01)"), QStringLiteral("CD 2"),
                                                               QStringLiteral("1. C (1:01)")}));
    // Without headings the disc goes into every number, when asked for.
    TrackFormat numbered;
    numbered.discHeadings = false;
    numbered.discNumbers = true;
    EXPECT_EQ(formatTracks(discs, numbered), (QStringList{QStringLiteral("1-01. A (0:01)"), QStringLiteral("1-02. B (0:01)"),
                                                          QStringLiteral("2-01. C (1:01)")}));
    numbered.style = TrackFormat::Style::Plain;
    EXPECT_EQ(formatTracks(discs, numbered).value(2), QStringLiteral("2-01 C 1:01"));
    EXPECT_EQ(formatTracks(list, numbered).value(0), QStringLiteral("01 Jaro 3:45")) << "one disc: no disc number";
}

class TrackImporting : public ::testing::Test {
protected:
    QTemporaryDir folder;
    CoverDocument document{folder.path()};
    void SetUp() override { document.start(QString()); }
    TrackList sample() const
    {
        TrackList list;
        for (int i = 1; i <= 12; ++i) {
            Track t = track("Píseň", "Hudba Praha", i, 200000 + i * 1000);
            t.title += QStringLiteral(" %1").arg(i);
            t.album = QStringLiteral("Žlutá ponorka 日本");
            t.year = 1999;
            list.tracks << t;
        }
        list.cover = readCoverFile(audio("twodisc/cover.jpg"));
        return list;
    }
};

TEST_F(TrackImporting, FillsEmptyAndSampleTextsInOneStepAndUndoesWhole)
{
    document.setTextFromBox(2, QStringLiteral("Můj nadpis")); // MTN, typed by the user
    document.history().recordNow();
    const int steps = document.undoStack()->count();
    const TrackList list = sample();
    const TrackPlan plan = planTracks(document, list, TrackChoices());
    EXPECT_EQ(plan.dropped, QStringLiteral("日本"));
    EXPECT_EQ(plan.album, QStringLiteral("Žlutá ponorka"));
    EXPECT_FALSE(plan.fillTitle) << "the user's own title stays";
    EXPECT_TRUE(plan.fillHeading);
    EXPECT_TRUE(applyTracks(document, list, plan).isEmpty());
    CoverPage &page = document.page();
    EXPECT_EQ(page.item(QStringLiteral("BTo")).lines().value(0), QStringLiteral("1. Píseň 1 (3:21)"));
    EXPECT_EQ(page.item(QStringLiteral("MTN")).text(), QStringLiteral("Můj nadpis"));
    EXPECT_EQ(page.item(QStringLiteral("MThn")).text(), QStringLiteral("Hudba Praha"));
    EXPECT_EQ(page.item(QStringLiteral("MTdn")).text(), QStringLiteral("1999"));
    EXPECT_FALSE(document.isSample(1)) << "the heading's box shows the new text";
    EXPECT_EQ(page.CDL().caption(), QStringLiteral("Hudba Praha – Žlutá ponorka"));
    EXPECT_EQ(page.CDR().caption(), page.CDL().caption());
    EXPECT_FALSE(page.MainImg().picture().isEmpty());
    EXPECT_EQ(document.undoStack()->count(), steps + 1);
    document.undoStack()->undo();
    EXPECT_TRUE(page.MainImg().picture().isEmpty());
    EXPECT_EQ(page.CDL().caption(), QStringLiteral("Název CD"));
    EXPECT_TRUE(document.isSample(1));

    TrackChoices all;
    all.overwrite = true;
    all.cover = false;
    all.spine = false;
    const TrackPlan overwrite = planTracks(document, list, all);
    EXPECT_TRUE(overwrite.fillTitle);
    EXPECT_FALSE(overwrite.fillCover);
    applyTracks(document, list, overwrite);
    EXPECT_EQ(page.item(QStringLiteral("MTN")).text(), QStringLiteral("Žlutá ponorka"));
    EXPECT_EQ(page.CDL().caption(), QStringLiteral("Název CD"));
}

TEST_F(TrackImporting, TheDiscLabelTakesWhatTheImportFillsUnlessItHasItsOwn)
{
    CoverPage &label = document.label();
    const PictureElement &picture = label.picture(label.layout().withRole(Role::LabelPicture));
    document.setLabelText(disc::kArtist, QStringLiteral("Vlastní interpret"));
    document.history().recordNow();
    const int steps = document.undoStack()->count();
    TrackChoices overwrite;
    overwrite.overwrite = true;
    const TrackList list = sample();
    EXPECT_TRUE(applyTracks(document, list, planTracks(document, list, overwrite)).isEmpty());
    // The title follows the cover's, the artist is the label's own; the cover art is
    // the front's picture, and so the label's.
    EXPECT_EQ(label.items()[disc::kTitle].text(), QStringLiteral("Žlutá ponorka"));
    EXPECT_EQ(label.items()[disc::kArtist].text(), QStringLiteral("Vlastní interpret"));
    EXPECT_FALSE(picture.picture().isEmpty());
    EXPECT_TRUE(picture.picture().sameAs(document.page().MainImg().picture()));
    // One step, the label's part of it too.
    EXPECT_EQ(document.undoStack()->count(), steps + 1);
    document.undoStack()->undo();
    EXPECT_NE(label.items()[disc::kTitle].text(), QStringLiteral("Žlutá ponorka"));
    EXPECT_TRUE(picture.picture().isEmpty());
}

TEST_F(TrackImporting, ALongListIsFittedByThePagesOwnRules)
{
    TrackList list = sample();
    list.tracks += list.tracks;
    TrackChoices choices;
    TrackPlan plan = planTracks(document, list, choices);
    ASSERT_GT(plan.hiddenLines, 0);
    EXPECT_EQ(plan.hiddenLines, previewPage(document, plan)->hiddenLines(QStringLiteral("BTo")));
    choices.fontSize = fittingSize(document, plan);
    EXPECT_LT(choices.fontSize, plan.font.size());
    EXPECT_GE(choices.fontSize, kSmallestFittingSize);
    plan = planTracks(document, list, choices);
    EXPECT_EQ(plan.hiddenLines, 0);
    choices.fontSize += 1;
    EXPECT_GT(planTracks(document, list, choices).hiddenLines, 0) << "the largest size that fits";

    // A column of lengths: each line's length at the box's right edge, the list
    // flush left, also the one whose title loses characters a project file cannot hold.
    choices.format.style = TrackFormat::Style::Column;
    list.tracks[0].title += QStringLiteral(" 日本");
    plan = planTracks(document, list, choices);
    EXPECT_EQ(plan.lines.value(0), QStringLiteral("1. Píseň 1\t3:21"));
    EXPECT_EQ(plan.alignment, Alignment::Left);
    const std::unique_ptr<CoverPage> preview = previewPage(document, plan);
    const TextLayout &layout = preview->layout(QStringLiteral("BTo"));
    const QRect box = SheetView::pixelRect(preview->elementRect("BTo"), 100);
    ASSERT_GE(layout.lines.size(), 20);
    for (qsizetype i = 0; i < 20; ++i) {
        const TextLayout::Placement placed = layout.placement(i);
        EXPECT_NEAR(placed.starts.last() + QFontMetricsF(layout.font).horizontalAdvance(placed.pieces.last()), box.width(), 1.0)
            << layout.lines[i].toStdString();
    }
}
