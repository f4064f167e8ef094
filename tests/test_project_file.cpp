// Saving and loading whole covers: the exact file, round trips, files written
// elsewhere, side files and every failure rule.
#include <QFileInfo>
#include <QProcess>

#include "app/TFrmMain.h"
#include "project/SideFile.h"

#include "PageTestUtil.h"
#include "ProjectTestUtil.h"
#include "project/PageGeometry.h"
#include "project/ProjectError.h"
#include "picture/PictureError.h"
#include "settings/SettingsError.h"

using namespace korvel;
using namespace korvel::test;

namespace {

QByteArray cp1250(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        // Only the letters these tests use; the program's own encoder is not used
        // to write the files it is tested against.
        static const QHash<QChar, char> map{{u'á', '\xE1'}, {u'č', '\xE8'}, {u'ď', '\xEF'}, {u'é', '\xE9'},
                                            {u'ě', '\xEC'}, {u'í', '\xED'}, {u'ň', '\xF2'}, {u'ó', '\xF3'},
                                            {u'ř', '\xF8'}, {u'š', '\x9A'}, {u'ť', '\x9D'}, {u'ú', '\xFA'},
                                            {u'ů', '\xF9'}, {u'ý', '\xFD'}, {u'ž', '\x9E'}, {u'Ž', '\x8E'},
                                            {u'Ř', '\xD8'}, {u'Č', '\xC8'}, {u'Š', '\x8A'}, {u'Í', '\xCD'}, {u'Ď', '\xCF'}};
        out += c.unicode() < 0x80 ? char(c.unicode()) : map.value(c, '?');
    }
    return out;
}

void expectSameItem(const TextItem &a, const TextItem &b)
{
    SCOPED_TRACE(a.code().toStdString());
    EXPECT_EQ(a.lines(), b.lines());
    EXPECT_EQ(a.alignment(), b.alignment());
    EXPECT_EQ(a.font().name, b.font().name);
    EXPECT_EQ(a.font().color, b.font().color);
    EXPECT_EQ(a.font().height, b.font().height);
    EXPECT_EQ(a.font().style, b.font().style);
}

} // namespace

using ProjectFile = ProjectFixture;

TEST_F(ProjectFile, ANewProjectIsWrittenWithItsCreationDefaultsByteForByte)
{
    save(work.filePath(QStringLiteral("album.kvp")));
    const QByteArray written = readBytes(work.filePath(QStringLiteral("album.kvp")));
    const QByteArray expected = readBytes(testData("project/creation_defaults.kvp"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(written.count('\n'), 162) << "159 keys, two list lines and the section header";
    EXPECT_EQ(written, expected);
    // No pictures: no side files.
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("album.im1"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("album.im2"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("album.im3"))));
}

TEST_F(ProjectFile, EveryAttributeSurvivesARoundTrip)
{
    const int styles[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut, fsBold | fsItalic, fsBold | fsItalic | fsUnderline};
    int n = 0;
    for (TextItem &item : page.items()) {
        const QString czech = QStringLiteral("Příliš žluťoučký kůň %1").arg(n);
        if (item.isMultiLine()) {
            item.clearLines();
            for (int i = 0; i < 10; ++i)
                item.appendLine(i == 4 ? QString() : czech + QStringLiteral(" řádek %1").arg(i));
        } else {
            item.setText(czech);
        }
        item.setAlignment(Alignment(n % 3));
        item.setFontName(n % 2 ? QStringLiteral("Times New Roman") : QStringLiteral("Courier New"));
        item.setColor(n == 3 ? clBtnFace : rgbColor(10 * n, 255 - n, 3 * n));
        item.setHeight(-(10 + n));
        item.setStyle(styles[n % 6]);
        ++n;
    }
    page.CDL().setCaption(QStringLiteral("Ďábelské ódy"));
    page.CDR().setCaption(QStringLiteral("Ďábelské ódy"));
    for (SpineBand *band : {&page.CDL(), &page.CDR()}) {
        band->setEndColor(rgbColor(255, 0, 0));
        band->setStartColor(rgbColor(0, 0, 255));
        ItemFont f = band->titleFont();
        f.name = QStringLiteral("Arial CE");
        f.color = rgbColor(0, 128, 0);
        f.height = -18;
        f.style = fsItalic;
        band->setTitleFont(f);
    }
    page.MainImg().setPicture(loadPicture(testData("raster/jpeg_baseline_420.jpg")));
    page.BckImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    writeBytes(work.filePath(QStringLiteral("spine.bmp")), readBytes(testData("raster/bmp_24bpp.bmp")));
    spine.remember(work.filePath(QStringLiteral("spine.bmp")));
    spine.setPictureSwitch(true);
    spine.setStretchChoice(false);
    page.CDL().setBackImageMode(BackImageMode::pbmTile);
    page.CDR().setBackImageMode(BackImageMode::pbmTile);

    save(work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("album.im2"))), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("album.im1"))), readBytes(testData("raster/gif_89a.gif")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("album.im3"))), readBytes(testData("raster/bmp_24bpp.bmp")));

    Session loaded;
    loaded.open(work.filePath(QStringLiteral("album.kvp")));
    for (const TextItem &item : page.items())
        expectSameItem(item, loaded.page.item(item.code()));
    EXPECT_EQ(loaded.page.item(QStringLiteral("BTo")).lines().size(), 10);
    for (SpineBand *band : {&loaded.page.CDL(), &loaded.page.CDR()}) {
        EXPECT_EQ(band->caption(), QStringLiteral("Ďábelské ódy"));
        EXPECT_EQ(band->gradient().EndColor, rgbColor(255, 0, 0));
        EXPECT_EQ(band->gradient().StartColor, rgbColor(0, 0, 255));
        EXPECT_EQ(band->titleFont(), page.CDL().titleFont());
        EXPECT_FALSE(band->gradient().Visible);
        EXPECT_EQ(band->backImageMode(), BackImageMode::pbmTile);
        EXPECT_TRUE(band->backImage().sameAs(page.CDL().backImage()));
    }
    EXPECT_TRUE(loaded.spine.pictureSwitch());
    EXPECT_TRUE(loaded.page.MainImg().picture().sameAs(page.MainImg().picture()));
    EXPECT_TRUE(loaded.page.BckImg().picture().sameAs(page.BckImg().picture()));
    EXPECT_EQ(loaded.page.MainImg().picture().format(), PictureFormat::Jpeg);
    EXPECT_EQ(loaded.page.BckImg().picture().format(), PictureFormat::Gif);
    EXPECT_EQ(loaded.caption(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - album.kvp"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    // The side files keep their names; nothing is left under a candidate name.
    EXPECT_EQ(QDir(work.path()).entryList({QStringLiteral("album.*")}, QDir::Files),
              (QStringList{"album.im1", "album.im2", "album.im3", "album.kvp"}));
    // The side-file base is remembered for the spine picture.
    EXPECT_EQ(loaded.spine.remembered().imgLR, QStringLiteral("album"));
    EXPECT_EQ(loaded.spine.remembered().imgLRName, QStringLiteral("album"));
}

TEST_F(ProjectFile, FilesWrittenByHandLoadAsTheFormatDefines)
{
    const QByteArray file = "; a comment line\n"
                            "[Other]\n"
                            "MTn-Tx=wrong section\n"
                            "[SecCD]\n"
                            "MTn-Tx = " + cp1250(QStringLiteral("Žlutý kůň")) + "\n"
                            "mtn-al=Right\n"
                            "MTht-Tx=" + cp1250(QStringLiteral("Ďábel")) + "\r\n"
                            "MTht-Al=left\r\n"
                            "BTo-Tx-L=3\r\n"
                            "BTo-Tx1=one\r"
                            "bto-tx2=two\n"
                            "BTo-Tx3=  three  \n"
                            "MTN-FsBI=1\n"
                            "MTN-Ht=-40\n"
                            "LR-Grd=1\n"
                            "LR-Txt=Spine\n";
    writeBytes(work.filePath(QStringLiteral("hand.kvp")), file);
    Session s;
    s.page.item(QStringLiteral("MTht")).setAlignment(Alignment::Right);
    s.open(work.filePath(QStringLiteral("hand.kvp")));
    const TextItem &mtn = s.page.item(QStringLiteral("MTN"));
    EXPECT_EQ(mtn.text(), QStringLiteral("Žlutý kůň"));
    EXPECT_EQ(mtn.alignment(), Alignment::Right);
    EXPECT_EQ(mtn.font().style, fsBold | fsItalic);
    EXPECT_EQ(mtn.font().height, -40);
    EXPECT_EQ(mtn.font().size(), 30);
    const TextItem &mtht = s.page.item(QStringLiteral("MTht"));
    EXPECT_EQ(mtht.text(), QStringLiteral("Ďábel"));
    EXPECT_EQ(mtht.alignment(), Alignment::Right) << "\"left\" is not a recognised word";
    EXPECT_EQ(s.page.item(QStringLiteral("BTo")).lines(), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(s.page.CDL().caption(), QStringLiteral("Spine"));
    EXPECT_TRUE(s.page.CDL().gradient().Visible);
    EXPECT_FALSE(s.spine.pictureSwitch());
    // Keys the file lacks load their sentinels.
    EXPECT_EQ(s.page.item(QStringLiteral("MTdn")).text(), QStringLiteral("ERROR"));
}

TEST_F(ProjectFile, StylesOutsideTheSixKeysAreNotStoredAndLoadingKeepsTheOldStyle)
{
    page.item(QStringLiteral("MThn")).setStyle(fsBold | fsUnderline);
    page.item(QStringLiteral("MTN")).setStyle(0);
    save(work.filePath(QStringLiteral("s.kvp")));
    const QByteArray bytes = readBytes(work.filePath(QStringLiteral("s.kvp")));
    for (const char *k : {"MThn-FsB=0", "MThn-FsI=0", "MThn-FsU=0", "MThn-FsS=0", "MThn-FsBI=0", "MThn-FsBIU=0",
                          "MTN-FsB=0"})
        EXPECT_TRUE(bytes.contains(k)) << k;

    Session s;
    s.page.item(QStringLiteral("MThn")).setStyle(fsStrikeOut);
    s.open(work.filePath(QStringLiteral("s.kvp")));
    EXPECT_EQ(s.page.item(QStringLiteral("MThn")).font().style, fsStrikeOut);
    EXPECT_EQ(s.page.item(QStringLiteral("MTN")).font().style, fsBold) << "bold from creation stays";
}

TEST_F(ProjectFile, FilesThatAreNoProjectAreRefusedBeforeAnythingChanges)
{
    writeBytes(work.filePath(QStringLiteral("photo.kvp")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeBytes(work.filePath(QStringLiteral("empty.kvp")), "");
    writeBytes(work.filePath(QStringLiteral("other.kvp")), "[Other]\r\nMTN-Tx=x\r\n");
    writeBytes(work.filePath(QStringLiteral("utf16.kvp")), QByteArray("\xFF\xFE[\0S\0e\0c\0C\0D\0]\0", 16));
    for (const char *name : {"photo.kvp", "empty.kvp", "other.kvp", "utf16.kvp", "missing.kvp"}) {
        SCOPED_TRACE(name);
        Session s;
        s.page.item(QStringLiteral("MTN")).setText(QStringLiteral("Kept"));
        const PageState before = s.page.state();
        try {
            s.open(work.filePath(QString::fromLatin1(name)));
            ADD_FAILURE() << "opened";
        } catch (const ProjectError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(name))) << e.message().toStdString();
        }
        EXPECT_TRUE(s.page.state() == before);
        EXPECT_TRUE(s.document.path().isEmpty());
    }
}

TEST_F(ProjectFile, AProjectMissingKeysKeepsItsSizesAndNeverGetsSentinelHeights)
{
    writeBytes(work.filePath(QStringLiteral("sparse.kvp")), "[SecCD]\r\nMTN-Tx=Title\r\nMTdn-Sz=16\r\n");
    Session s;
    s.open(work.filePath(QStringLiteral("sparse.kvp")));
    EXPECT_EQ(s.page.item(QStringLiteral("MTN")).text(), QStringLiteral("Title"));
    EXPECT_EQ(s.page.item(QStringLiteral("MTht")).text(), QStringLiteral("ERROR")) << "texts as the format defines";
    EXPECT_EQ(s.page.item(QStringLiteral("MTdn")).font().size(), 16) << "a size without a height";
    for (const TextItem &item : s.page.items()) {
        SCOPED_TRACE(item.code().toStdString());
        EXPECT_GT(item.font().height, -200);
        EXPECT_EQ(s.page.elementRect(item.code().toStdString()).height(),
                  kJewelCase.element(kJewelCase.find(item.code().toStdString())).shape.height);
    }
    EXPECT_EQ(s.page.CDL().titleFont().height, -15);
}

TEST_F(ProjectFile, SideFilesAreReadInPlaceFromAFolderThatTakesNoChange)
{
    writeBytes(work.filePath(QStringLiteral("album.im1")), readBytes(testData("raster/bmp_24bpp.bmp")));
    writeBytes(work.filePath(QStringLiteral("album.im2")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeBytes(work.filePath(QStringLiteral("album.im3")), readBytes(testData("raster/png_rgb_qt.png")));
    // An unrelated picture beside the side file is never read in its place.
    writeBytes(work.filePath(QStringLiteral("album.jpg")), readBytes(testData("raster/gif_89a.gif")));
    writeBytes(work.filePath(QStringLiteral("album.kvp")), "[SecCD]\r\nLR-Grd=0\r\n");
    const QStringList files = QDir(work.path()).entryList(QDir::Files);
    const auto undo = refuseNewFiles(work.path()); // a CD, a colleague's folder
    Session s;
    s.open(work.filePath(QStringLiteral("album.kvp")));
    if (undo)
        undo();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(s.page.BckImg().picture().format(), PictureFormat::Bitmap);
    EXPECT_EQ(s.page.MainImg().picture().format(), PictureFormat::Jpeg);
    EXPECT_EQ(s.page.CDL().backImage().format(), PictureFormat::Png);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), files);
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("album.im1"))), readBytes(testData("raster/bmp_24bpp.bmp")));

    // The loaders' own extensions decide: ".dib" loads nothing, a damaged file is unreadable.
    writeBytes(work.filePath(QStringLiteral("bad.im1")), readBytes(testData("raster/jpeg_baseline_420.jpg")).left(300));
    EXPECT_EQ(SideFile::read(work.filePath(QStringLiteral("bad.im1"))).status, SideFile::Status::Unreadable);
    EXPECT_EQ(SideFile::read(work.filePath(QStringLiteral("none.im1"))).status, SideFile::Status::Missing);
    EXPECT_TRUE(sideFileCandidates().contains(QStringLiteral(".dib")));
}

TEST_F(ProjectFile, APngPictureIsSavedAsItsOwnBytesAndComesBackFromTheSideFile)
{
    page.MainImg().setPicture(loadPicture(testData("raster/png_rgba_qt.png")));
    save(work.filePath(QStringLiteral("p.kvp")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("p.im2"))), readBytes(testData("raster/png_rgba_qt.png")));

    Session loaded;
    loaded.open(work.filePath(QStringLiteral("p.kvp")));
    EXPECT_EQ(loaded.page.MainImg().picture().format(), PictureFormat::Png);
    EXPECT_TRUE(loaded.page.MainImg().picture().sameAs(page.MainImg().picture()));
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), (QStringList{"p.im2", "p.kvp"}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectFile, FewerLinesLeaveOldLineKeysThatTheReaderIgnores)
{
    TextItem &bto = page.item(QStringLiteral("BTo"));
    bto.clearLines();
    for (int i = 1; i <= 10; ++i)
        bto.appendLine(QStringLiteral("track %1").arg(i));
    save(work.filePath(QStringLiteral("t.kvp")));
    bto.setLines({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    save(work.filePath(QStringLiteral("t.kvp")));
    const QByteArray bytes = readBytes(work.filePath(QStringLiteral("t.kvp")));
    EXPECT_TRUE(bytes.contains("BTo-Tx-L=3\r\n"));
    EXPECT_TRUE(bytes.contains("BTo-Tx4=track 4\r\n"));
    EXPECT_TRUE(bytes.contains("BTo-Tx10=track 10\r\n"));
    Session s;
    s.open(work.filePath(QStringLiteral("t.kvp")));
    EXPECT_EQ(s.page.item(QStringLiteral("BTo")).lines(), (QStringList{"a", "b", "c"}));
}

TEST_F(ProjectFile, AProjectWithoutSideFilesHasNoPicturesWhateverTheCoverHadBefore)
{
    Session s;
    s.page.MainImg().setPicture(loadPicture(testData("raster/jpeg_baseline_420.jpg")));
    s.page.BckImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    writeBytes(work.filePath(QStringLiteral("new.kvp")), "[SecCD]\r\n");
    s.open(work.filePath(QStringLiteral("new.kvp")));
    EXPECT_TRUE(s.page.MainImg().picture().isEmpty());
    EXPECT_TRUE(s.page.BckImg().picture().isEmpty());
    s.save(work.filePath(QStringLiteral("new.kvp")));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("new.im2"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("new.im1"))));
}

TEST_F(ProjectFile, SavedSideFilesAreWhatTheCoverHolds)
{
    // A project saved over another one takes no picture of the other's with it.
    writeBytes(work.filePath(QStringLiteral("cd.im1")), readBytes(testData("raster/gif_89a.gif")));
    writeBytes(work.filePath(QStringLiteral("cd.im3")), readBytes(testData("raster/gif_89a.gif")));
    spine.remember(QString::fromLatin1(SpinePictureState::kNone));
    save(work.filePath(QStringLiteral("cd.kvp")));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("cd.im1"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("cd.im3"))));

    // A remembered spine picture goes along, shown or not, also to another project.
    writeBytes(work.filePath(QStringLiteral("chosen.jpg")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    spine.remember(work.filePath(QStringLiteral("chosen.jpg")));
    save(work.filePath(QStringLiteral("third.kvp")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("third.im3"))), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    Session s;
    s.open(work.filePath(QStringLiteral("third.kvp")));
    s.save(work.filePath(QStringLiteral("fourth.kvp")));
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("fourth.im3"))), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    s.spine.setPictureSwitch(true);
    EXPECT_EQ(s.page.CDL().backImage().format(), PictureFormat::Jpeg);

    // An unchanged picture is not written again.
    page.MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    save(work.filePath(QStringLiteral("same.kvp")));
    const QString front = work.filePath(QStringLiteral("same.im2"));
    {
        QFile file(front);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    }
    save(work.filePath(QStringLiteral("same.kvp")));
    EXPECT_EQ(QFileInfo(front).lastModified().date().year(), 2001);
}

TEST_F(ProjectFile, ANameWithoutExtensionCutsTheBaseShort)
{
    page.MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    save(work.filePath(QStringLiteral("album")));
    EXPECT_EQ(projectSideFileBase(QStringLiteral("/x/album")), QStringLiteral("a"));
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("a.im2"))));
    Session s;
    s.open(work.filePath(QStringLiteral("album")));
    EXPECT_EQ(s.page.MainImg().picture().format(), PictureFormat::Bitmap);
}

TEST_F(ProjectFile, ARefusedWriteStopsTheSaveAndSaysWhy)
{
    const QString path = work.filePath(QStringLiteral("no/such/folder/album.kvp"));
    page.MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    try {
        save(path);
        FAIL() << "the save must not report success";
    } catch (const CommandError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("album.im2"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("složka neexistuje"))) << e.message().toStdString();
    }
}

TEST_F(ProjectFile, TextTheCodePageCannotHoldIsReportedNotMangled)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("日本"));
    EXPECT_THROW(save(work.filePath(QStringLiteral("j.kvp"))), SettingsError);
    EXPECT_FALSE(readBytes(work.filePath(QStringLiteral("j.kvp"))).contains("MTN-Tx=?"));

    // A save refused over an existing project leaves that file exactly as it was,
    // even when the refused text is written last (the spine title).
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Old title"));
    save(work.filePath(QStringLiteral("k.kvp")));
    const QByteArray before = readBytes(work.filePath(QStringLiteral("k.kvp")));
    ASSERT_FALSE(before.isEmpty());
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("New title"));
    page.CDL().setCaption(QStringLiteral("Пластинка"));
    EXPECT_THROW(save(work.filePath(QStringLiteral("k.kvp"))), SettingsError);
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("k.kvp"))), before);
}

TEST_F(ProjectFile, DamagedFilesLoadWithoutCrashing)
{
    const QByteArray cases[] = {
        QByteArray("\x00\x01\x02[SecCD]\x00MTN-Tx=a\x00b\r\n", 20),
        QByteArray(3 * 1024 * 1024, 'x'),
        "[SecCD]\r\nBTo-Tx-L=2147483647\r\nBTit-Tx-L=-5\r\n",
        "no section at all\r\nMTN-Tx=x",
        "[SecCD",
    };
    for (const QByteArray &bytes : cases) {
        writeBytes(work.filePath(QStringLiteral("bad.kvp")), bytes);
        Session s;
        try {
            s.open(work.filePath(QStringLiteral("bad.kvp")));
        } catch (const ProjectError &) {
            continue; // refused as no project, before anything changed
        }
        EXPECT_LE(s.page.item(QStringLiteral("BTo")).lines().size(), 8) << "no more lines than the file has";
        EXPECT_TRUE(s.page.item(QStringLiteral("BTit")).lines().isEmpty());
    }
}

TEST_F(ProjectFile, KorvelPrintOfASavedProjectEqualsTheOpenedPage)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Žluťoučký kůň"));
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("1. Úvod"), QStringLiteral("2. Ódy")});
    page.item(QStringLiteral("BTno")).setColor(rgbColor(200, 0, 0));
    page.MainImg().setPicture(loadPicture(testData("raster/jpeg_baseline_420.jpg")));
    page.CDL().setEndColor(rgbColor(0, 0, 255));
    page.CDR().setEndColor(rgbColor(0, 0, 255));
    QDir(work.path()).mkdir(QStringLiteral("covers"));
    save(work.filePath(QStringLiteral("covers/album.kvp")));

    Session opened;
    opened.open(work.filePath(QStringLiteral("covers/album.kvp")));
    const QImage expected = renderPaper(opened.page, 96);

    // Started from another folder: the side files are found beside the project.
    QProcess p;
    p.setWorkingDirectory(work.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("covers/album.kvp"), QStringLiteral("out.png")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    const QImage printed = QImage(work.filePath(QStringLiteral("out.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(printed.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < printed.height(); ++y)
        for (int x = 0; x < printed.width(); ++x)
            differing += printed.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(qRed(printed.pixel(280, 500)), 100) << "the front picture is there";
    EXPECT_EQ(printed.pixel(60, 585), qRgb(0, 0, 255)) << "the spine colours are the project's";

    // The designer's remembered spine picture is not touched by printing.
    reg.WriteString(QStringLiteral("ImgLR"), QStringLiteral("[none]"));
    p.start(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("covers/album.kvp"), QStringLiteral("out.pdf")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(reg.ReadString(QStringLiteral("ImgLR")), QStringLiteral("[none]"));

    p.start(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("covers/missing.kvp"), QStringLiteral("out.pdf")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAll()).contains(QStringLiteral("projekt covers/missing.kvp neexistuje")));
}

TEST_F(ProjectFile, TheWindowOpensItsArgumentAndForgetsTheSpinePictureAtTheEnd)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Given"));
    save(work.filePath(QStringLiteral("given.kvp")));
    reg.WriteString(QStringLiteral("ImgLR"), QStringLiteral("something"));
    {
        TFrmMain window;
        window.Params(work.filePath(QStringLiteral("given.kvp")));
        window.show();
        EXPECT_EQ(window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Given"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - given.kvp"));
        EXPECT_EQ(window.page().item(QStringLiteral("BTo")).lines(), (QStringList{"Obsah"}));
        EXPECT_EQ(reg.ReadString(QStringLiteral("ImgLRName")), QStringLiteral("given"));
    }
    EXPECT_EQ(reg.ReadString(QStringLiteral("ImgLR")), QStringLiteral("[none]"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("ImgLRName")), QStringLiteral("[none]"));
}
