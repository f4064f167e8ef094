// Saving and loading whole covers: the exact file, round trips, files written
// elsewhere, side files and every failure rule.
#include <QFileInfo>
#include <QProcess>

#include "app/TFrmMain.h"
#include "project/SideFileTest.h"

#include "PageTestUtil.h"
#include "ProjectTestUtil.h"
#include "project/PageGeometry.h"
#include "project/ProjectError.h"
#include "project/picture/PictureError.h"
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

Picture load(const QString &path)
{
    Picture p;
    QString error;
    EXPECT_TRUE(p.loadFromFile(path, &error)) << error.toStdString();
    return p;
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

TEST_F(ProjectFile, CreationDefaultsAreWrittenExactlyAsSpecified)
{
    SaveProject(context, work.filePath(QStringLiteral("album.kvp")));
    const QByteArray written = readBytes(work.filePath(QStringLiteral("album.kvp")));
    const QByteArray expected = readBytes(testData("project/creation_defaults.kvp"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(written.count('\n'), 162) << "159 keys, two list lines and the section header";
    EXPECT_EQ(written, expected);
    EXPECT_EQ(caption, QStringLiteral("Lurdan CD 1.0 - druhé vydání - album.kvp"));
    EXPECT_EQ(ini.Filename(), work.filePath(QStringLiteral("album.kvp")));
    // No pictures: no side files.
    EXPECT_FALSE(QFile::exists(QStringLiteral("album.im1")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("album.im2")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("album.im3")));
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
    page.MainImg().setPicture(load(testData("raster/jpeg_baseline_420.jpg")));
    page.BckImg().setPicture(load(testData("raster/gif_89a.gif")));
    writeBytes(QStringLiteral("spine.bmp"), readBytes(testData("raster/bmp_24bpp.bmp")));
    writeRememberedSpinePicture(spine.Reg(), work.filePath(QStringLiteral("spine.bmp")));
    spine.setPictureSwitch(true);
    spine.setStretchChoice(false);
    page.CDL().setBackImageMode(BackImageMode::pbmTile);
    page.CDR().setBackImageMode(BackImageMode::pbmTile);

    SaveProject(context, work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("album.im2")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    EXPECT_EQ(readBytes(QStringLiteral("album.im1")), readBytes(testData("raster/gif_89a.gif")));
    EXPECT_EQ(readBytes(QStringLiteral("album.im3")), readBytes(testData("raster/bmp_24bpp.bmp")));

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
    EXPECT_EQ(loaded.caption, QStringLiteral("Lurdan CD 1.0 - druhé vydání - album.kvp"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    // The side files keep their names; nothing is left under a candidate name.
    EXPECT_EQ(QDir(work.path()).entryList({QStringLiteral("album.*")}, QDir::Files),
              (QStringList{"album.im1", "album.im2", "album.im3", "album.kvp"}));
    // The side-file base is remembered for the spine picture.
    EXPECT_EQ(loaded.reg.ReadString(QStringLiteral("ImgLR")), QStringLiteral("album"));
    EXPECT_EQ(loaded.reg.ReadString(QStringLiteral("ImgLRName")), QStringLiteral("album"));
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
    writeBytes(QStringLiteral("hand.kvp"), file);
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
    SaveProject(context, work.filePath(QStringLiteral("s.kvp")));
    const QByteArray bytes = readBytes(QStringLiteral("s.kvp"));
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
    writeBytes(QStringLiteral("photo.kvp"), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeBytes(QStringLiteral("empty.kvp"), "");
    writeBytes(QStringLiteral("other.kvp"), "[Other]\r\nMTN-Tx=x\r\n");
    writeBytes(QStringLiteral("utf16.kvp"), QByteArray("\xFF\xFE[\0S\0e\0c\0C\0D\0]\0", 16));
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
        EXPECT_TRUE(s.caption.isEmpty());
    }
}

TEST_F(ProjectFile, AProjectMissingKeysKeepsItsSizesAndNeverGetsSentinelHeights)
{
    writeBytes(QStringLiteral("sparse.kvp"), "[SecCD]\r\nMTN-Tx=Title\r\nMTdn-Sz=16\r\n");
    Session s;
    s.open(work.filePath(QStringLiteral("sparse.kvp")));
    EXPECT_EQ(s.page.item(QStringLiteral("MTN")).text(), QStringLiteral("Title"));
    EXPECT_EQ(s.page.item(QStringLiteral("MTht")).text(), QStringLiteral("ERROR")) << "texts as the format defines";
    EXPECT_EQ(s.page.item(QStringLiteral("MTdn")).font().size(), 16) << "a size without a height";
    for (const TextItem &item : s.page.items()) {
        SCOPED_TRACE(item.code().toStdString());
        EXPECT_GT(item.font().height, -200);
        EXPECT_EQ(s.page.elementRect(item.code().toStdString()).height(),
                  findElement(item.code().toStdString())->height);
    }
    EXPECT_EQ(s.page.CDL().titleFont().height, -15);
}

TEST_F(ProjectFile, AFileBesideTheSideFileBlocksTheRenameAndIsLoadedInstead)
{
    writeBytes(QStringLiteral("album.im1"), readBytes(testData("raster/bmp_24bpp.bmp")));
    writeBytes(QStringLiteral("album.jpg"), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeBytes(QStringLiteral("album.kvp"), "[SecCD]\r\n");
    Session s;
    s.open(work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(messages, QStringList(2, QStringLiteral("Chyba testu formátu obrázku! (RenameError)")));
    EXPECT_EQ(s.page.BckImg().picture().format(), PictureFormat::Jpeg);
    EXPECT_EQ(readBytes(QStringLiteral("album.im1")), readBytes(testData("raster/bmp_24bpp.bmp")));
    EXPECT_TRUE(QFile::exists(QStringLiteral("album.jpg")));
}

TEST_F(ProjectFile, SideFilesLoadUnderTheirFormatsCandidates)
{
    writeBytes(QStringLiteral("a.im1"), readBytes(testData("raster/bmp_24bpp.bmp")));
    writeBytes(QStringLiteral("a.im2"), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeBytes(QStringLiteral("a.kvp"), "[SecCD]\r\n");
    QStringList tried;
    Session s;
    s.open(work.filePath(QStringLiteral("a.kvp")));
    EXPECT_EQ(s.page.BckImg().picture().format(), PictureFormat::Bitmap);
    EXPECT_EQ(s.page.MainImg().picture().format(), PictureFormat::Jpeg);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), (QStringList{"a.im1", "a.im2", "a.kvp"}));
    // Under which candidates each one loads: a JPEG under .jpg and again .jpeg,
    // a bitmap under .bmp only.
    auto loadsUnder = [&](const QString &side) {
        QStringList under;
        for (const QString &candidate : sideFileCandidates())
            sideFileFormatTest(side, candidate, [&](const QString &path, QString *error) {
                Picture p;
                const bool ok = p.loadFromFile(path, error);
                if (ok)
                    under << candidate;
                return ok;
            });
        return under;
    };
    EXPECT_EQ(loadsUnder(QStringLiteral("a.im2")), (QStringList{".jpg", ".jpeg"}));
    EXPECT_EQ(loadsUnder(QStringLiteral("a.im1")), (QStringList{".bmp"}));
    writeBytes(QStringLiteral("p.im1"), readBytes(testData("raster/png_rgb_qt.png")));
    EXPECT_EQ(loadsUnder(QStringLiteral("p.im1")), (QStringList{".png"}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectFile, APngPictureIsSavedAsItsOwnBytesAndComesBackFromTheSideFile)
{
    page.MainImg().setPicture(load(testData("raster/png_rgba_qt.png")));
    SaveProject(context, work.filePath(QStringLiteral("p.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("p.im2")), readBytes(testData("raster/png_rgba_qt.png")));

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
    SaveProject(context, work.filePath(QStringLiteral("t.kvp")));
    bto.setLines({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    SaveProject(context, work.filePath(QStringLiteral("t.kvp")));
    const QByteArray bytes = readBytes(QStringLiteral("t.kvp"));
    EXPECT_TRUE(bytes.contains("BTo-Tx-L=3\r\n"));
    EXPECT_TRUE(bytes.contains("BTo-Tx4=track 4\r\n"));
    EXPECT_TRUE(bytes.contains("BTo-Tx10=track 10\r\n"));
    Session s;
    s.open(work.filePath(QStringLiteral("t.kvp")));
    EXPECT_EQ(s.page.item(QStringLiteral("BTo")).lines(), (QStringList{"a", "b", "c"}));
}

TEST_F(ProjectFile, AProjectWithoutSideFilesKeepsThePreviousPictures)
{
    Session s;
    s.page.MainImg().setPicture(load(testData("raster/jpeg_baseline_420.jpg")));
    s.page.BckImg().setPicture(load(testData("raster/bmp_24bpp.bmp")));
    writeBytes(QStringLiteral("new.kvp"), "[SecCD]\r\n");
    s.open(work.filePath(QStringLiteral("new.kvp")));
    EXPECT_EQ(s.page.MainImg().picture().format(), PictureFormat::Jpeg);
    SaveProject(s.context, work.filePath(QStringLiteral("new.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("new.im2")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    EXPECT_EQ(readBytes(QStringLiteral("new.im1")), readBytes(testData("raster/bmp_24bpp.bmp")));
}

TEST_F(ProjectFile, SpineSideFileFollowsTheRememberedPicture)
{
    // Gradient shown and nothing remembered: no .im3; an older one stays.
    writeRememberedSpinePicture(reg, QString::fromLatin1(SpinePictureState::kNone));
    writeBytes(QStringLiteral("cd.im3"), readBytes(testData("raster/gif_89a.gif")));
    SaveProject(context, work.filePath(QStringLiteral("cd.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("cd.im3")), readBytes(testData("raster/gif_89a.gif")));
    SaveProject(context, work.filePath(QStringLiteral("other.kvp")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("other.im3")));

    // ...and the older one is what picture mode shows after loading.
    Session s;
    s.open(work.filePath(QStringLiteral("cd.kvp")));
    s.spine.setPictureSwitch(true);
    EXPECT_EQ(s.page.CDL().backImage().format(), PictureFormat::Gif);
    EXPECT_EQ(s.page.CDR().backImage().format(), PictureFormat::Gif);

    // A remembered picture file is copied to the project's .im3, never over an existing one.
    writeBytes(QStringLiteral("chosen.jpg"), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    writeRememberedSpinePicture(reg, work.filePath(QStringLiteral("chosen.jpg")));
    SaveProject(context, work.filePath(QStringLiteral("third.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("third.im3")), readBytes(QStringLiteral("chosen.jpg")));
    SaveProject(context, work.filePath(QStringLiteral("cd.kvp")));
    EXPECT_EQ(readBytes(QStringLiteral("cd.im3")), readBytes(testData("raster/gif_89a.gif")));
}

TEST_F(ProjectFile, ANameWithoutExtensionCutsTheBaseShort)
{
    page.MainImg().setPicture(load(testData("raster/bmp_24bpp.bmp")));
    SaveProject(context, work.filePath(QStringLiteral("album")));
    EXPECT_EQ(projectSideFileBase(QStringLiteral("/x/album")), QStringLiteral("a"));
    EXPECT_TRUE(QFile::exists(QStringLiteral("a.im2")));
    Session s;
    s.open(work.filePath(QStringLiteral("album")));
    EXPECT_EQ(s.page.MainImg().picture().format(), PictureFormat::Bitmap);
}

TEST_F(ProjectFile, ARefusedWriteStopsTheSaveAndKeepsTheDirectory)
{
    const QString before = QDir::currentPath();
    const QString path = work.filePath(QStringLiteral("no/such/folder/album.kvp"));
    try {
        SaveProject(context, path);
        FAIL() << "the save must not report success";
    } catch (const SettingsError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to %1").arg(path));
    }
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_FALSE(QFile::exists(QStringLiteral("album.im2")));
}

TEST_F(ProjectFile, TextTheCodePageCannotHoldIsReportedNotMangled)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("日本"));
    EXPECT_THROW(SaveProject(context, work.filePath(QStringLiteral("j.kvp"))), SettingsError);
    EXPECT_FALSE(readBytes(QStringLiteral("j.kvp")).contains("MTN-Tx=?"));

    // A save refused over an existing project leaves that file exactly as it was,
    // even when the refused text is written last (the spine title).
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Old title"));
    SaveProject(context, work.filePath(QStringLiteral("k.kvp")));
    const QByteArray before = readBytes(QStringLiteral("k.kvp"));
    ASSERT_FALSE(before.isEmpty());
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("New title"));
    page.CDL().setCaption(QStringLiteral("Пластинка"));
    EXPECT_THROW(SaveProject(context, work.filePath(QStringLiteral("k.kvp"))), SettingsError);
    EXPECT_EQ(readBytes(QStringLiteral("k.kvp")), before);
}

TEST_F(ProjectFile, LoadingRestoresTheWorkingDirectory)
{
    QDir(work.path()).mkdir(QStringLiteral("sub"));
    writeBytes(work.filePath(QStringLiteral("sub/p.kvp")), "[SecCD]\r\nMTN-Tx=x\r\n");
    const QString before = QDir::currentPath();
    Session s;
    s.open(work.filePath(QStringLiteral("sub/p.kvp")));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(s.page.item(QStringLiteral("MTN")).text(), QStringLiteral("x"));
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
        writeBytes(QStringLiteral("bad.kvp"), bytes);
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
    page.MainImg().setPicture(load(testData("raster/jpeg_baseline_420.jpg")));
    page.CDL().setEndColor(rgbColor(0, 0, 255));
    page.CDR().setEndColor(rgbColor(0, 0, 255));
    QDir(work.path()).mkdir(QStringLiteral("covers"));
    QDir::setCurrent(work.filePath(QStringLiteral("covers")));
    SaveProject(context, work.filePath(QStringLiteral("covers/album.kvp")));
    QDir::setCurrent(work.path());

    Session opened;
    QDir::setCurrent(work.filePath(QStringLiteral("covers")));
    opened.open(work.filePath(QStringLiteral("covers/album.kvp")));
    QDir::setCurrent(work.path());
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
    writeRememberedSpinePicture(reg, QStringLiteral("[none]"));
    p.start(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("covers/album.kvp"), QStringLiteral("out.pdf")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(reg.ReadString(QStringLiteral("ImgLR")), QStringLiteral("[none]"));

    p.start(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("covers/missing.kvp"), QStringLiteral("out.pdf")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAll().contains("no such project"));
}

TEST_F(ProjectFile, TheWindowOpensItsArgumentAndForgetsTheSpinePictureAtTheEnd)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Given"));
    SaveProject(context, work.filePath(QStringLiteral("given.kvp")));
    writeRememberedSpinePicture(reg, QStringLiteral("something"));
    {
        TFrmMain window;
        SpinePictureState state(window.page());
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
