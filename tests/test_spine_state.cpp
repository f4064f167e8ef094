// The spine picture switch, the stretch choice and the remembered picture.
#include <QSignalSpy>

#include "PageTestUtil.h"
#include "ProjectTestUtil.h"
#include "picture/PictureError.h"

using namespace korvel;
using namespace korvel::test;

using SpineState = ProjectFixture;

TEST_F(SpineState, SwitchRunsOnlyOnARealChange)
{
    QSignalSpy ran(&spine, &SpinePictureState::switchProcedureRan);
    EXPECT_FALSE(spine.pictureSwitch());
    EXPECT_TRUE(spine.stretchChoice());
    spine.setPictureSwitch(false);
    EXPECT_EQ(ran.count(), 0);
    spine.remember(QString::fromLatin1(SpinePictureState::kNone));
    spine.setPictureSwitch(true);
    spine.setPictureSwitch(true);
    EXPECT_EQ(ran.count(), 1);
    spine.setPictureSwitch(false);
    EXPECT_EQ(ran.count(), 2);
    EXPECT_EQ(SpinePictureState::current(), &spine);
}

TEST_F(SpineState, PictureModeWithNothingRememberedIsPlainWhite)
{
    spine.remember(QString::fromLatin1(SpinePictureState::kNone));
    spine.setPictureSwitch(true);
    EXPECT_FALSE(page.CDL().gradient().Visible);
    EXPECT_FALSE(page.CDR().gradient().Visible);
    page.CDL().setCaption(QString());
    page.CDR().setCaption(QString());
    for (const QImage &image : {renderScreen(page), renderPaper(page)})
        for (int y = 590; y < 1020; y += 37) {
            EXPECT_EQ(image.pixel(60, y), qRgb(255, 255, 255));
            EXPECT_EQ(image.pixel(605, y), qRgb(255, 255, 255));
        }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SpineState, SwitchingOffAndOnBringsTheRememberedPictureBack)
{
    writeBytes(work.filePath(QStringLiteral("photo.gif")), readBytes(testData("raster/gif_89a.gif")));
    spine.remember(work.filePath(QStringLiteral("photo.gif")));
    spine.setPictureSwitch(true);
    EXPECT_EQ(page.CDL().backImage().format(), PictureFormat::Gif);
    spine.setPictureSwitch(false);
    EXPECT_TRUE(page.CDL().gradient().Visible);
    EXPECT_TRUE(page.CDL().backImage().isEmpty());
    EXPECT_TRUE(page.CDR().backImage().isEmpty());
    // The picture was read once and is the cover's: a file gone since changes nothing.
    QFile::remove(work.filePath(QStringLiteral("photo.gif")));
    spine.setPictureSwitch(true);
    EXPECT_EQ(page.CDR().backImage().format(), PictureFormat::Gif);

    // A side file base + ".im3" in the project's folder wins over a remembered path,
    // whatever the program's working folder.
    writeBytes(work.filePath(QStringLiteral("proj.im3")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    spine.remember(QStringLiteral("proj"));
    spine.setPictureSwitch(false);
    spine.setPictureSwitch(true);
    EXPECT_EQ(page.CDL().backImage().format(), PictureFormat::Jpeg);
    EXPECT_EQ(page.CDR().backImage().format(), PictureFormat::Jpeg);
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("proj.im3"))));
}

TEST_F(SpineState, AnUnloadablePictureIsReportedAndTheBandsKeepTheirs)
{
    writeBytes(work.filePath(QStringLiteral("photo.gif")), readBytes(testData("raster/gif_89a.gif")));
    spine.remember(work.filePath(QStringLiteral("photo.gif")));
    spine.setPictureSwitch(true);
    spine.setPictureSwitch(false);
    page.CDL().setBackImage(Picture());
    spine.remember(work.filePath(QStringLiteral("picture.dib")));
    writeBytes(work.filePath(QStringLiteral("picture.dib")), readBytes(testData("raster/bmp_24bpp.bmp")));
    try {
        spine.setPictureSwitch(true);
        FAIL() << "an unknown extension must be reported";
    } catch (const PictureError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unknown picture file extension (.dib)"));
    }
    EXPECT_TRUE(spine.pictureSwitch());
    EXPECT_TRUE(page.CDL().backImage().isEmpty());
}

TEST_F(SpineState, ASideFileIsReadAsItIsAndNoNeighbourIsLookedAt)
{
    writeBytes(work.filePath(QStringLiteral("base.im3")), readBytes(testData("raster/gif_89a.gif")));
    writeBytes(work.filePath(QStringLiteral("base.jpg")), readBytes(testData("raster/jpeg_baseline_420.jpg")));
    spine.remember(QStringLiteral("base"));
    spine.setPictureSwitch(true);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(page.CDL().backImage().format(), PictureFormat::Gif);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), (QStringList{"base.im3", "base.jpg"}));
}

TEST_F(SpineState, LoadingATiledProjectSetsTheStretchChoiceItSavesAgain)
{
    writeBytes(work.filePath(QStringLiteral("tiled.kvp")), "[SecCD]\r\nLR-Grd=1\r\nLR-ImgRoz=0\r\n");
    Session s;
    s.open(work.filePath(QStringLiteral("tiled.kvp")));
    EXPECT_EQ(s.page.CDL().backImageMode(), BackImageMode::pbmTile);
    EXPECT_EQ(s.page.CDR().backImageMode(), BackImageMode::pbmTile);
    EXPECT_FALSE(s.spine.stretchChoice());
    s.save(work.filePath(QStringLiteral("tiled.kvp")));
    EXPECT_TRUE(readBytes(work.filePath(QStringLiteral("tiled.kvp"))).contains("LR-ImgRoz=0\r\n"));
}
