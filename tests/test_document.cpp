// The cover as one document, through the real window: the project's folder, not the
// program's, holds its files; what is saved is what the cover holds, as one unit or
// not at all; a question closed without an answer loses nothing; undo knows what
// was saved.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QWheelEvent>
#include <QProcess>
#include <QTest>
#include <QUndoStack>

#include "DesignerTestUtil.h"
#include "PageTestUtil.h"
#include "app/PageView.h"
#include "dialogs/TDotazFrm.h"
#include "dialogs/TFrmEdit.h"
#include "project/CoverDocument.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryWriter.h"

#include <sys/stat.h>

using namespace korvel;
using namespace korvel::test;

namespace {

using Document = DesignerFixture;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Closes the next question window without an answer, by its close button or Escape.
void leaveNextQuestion(bool escape, QString *asked)
{
    whenModal<TDotazFrm>([escape, asked](TDotazFrm *dialog) {
        *asked = dialog->text()->text();
        if (escape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
    });
}

} // namespace

TEST_F(Document, AProjectStartedFromAnotherFolderKeepsItsFilesBesideIt)
{
    page.MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    SaveProject(context, work.filePath(QStringLiteral("album.kvp")));
    // As the launcher starts it: in another folder, with the project's full path.
    Designer d(work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(d.window.page().MainImg().picture().format(), PictureFormat::Gif);
    d.type("MEN", QStringLiteral("Moved"));
    d.window.page().BckImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    ASSERT_TRUE(d.window.FsaveClick());
    EXPECT_TRUE(filesIn(elsewhere.path()).isEmpty()) << filesIn(elsewhere.path()).join(u' ').toStdString();
    EXPECT_EQ(filesIn(work.path()), (QStringList{"album.im1", "album.im2", "album.kvp"}));

    // A name given relative to the start folder is found there.
    Designer relative(QStringLiteral("album.kvp"), work.path());
    EXPECT_EQ(relative.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Moved"));
    EXPECT_EQ(relative.window.page().BckImg().picture().format(), PictureFormat::Bitmap);
}

TEST_F(Document, WhatIsSavedIsWhatTheCoverHolds)
{
    // Save As over another project takes none of its pictures.
    page.BckImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    SaveProject(context, work.filePath(QStringLiteral("p.kvp")));
    ASSERT_TRUE(QFile::exists(work.filePath(QStringLiteral("p.im1"))));
    {
        Designer d;
        d.answers << work.filePath(QStringLiteral("p.kvp"));
        answerNextQuestion(true); // "Soubor již existuje! Přepsat ?"
        d.window.SaveAsClick();
        EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("p.im1"))));
    }
    // A picture taken away, brought back by undo and taken away by redo stays away.
    Designer d(work.filePath(QStringLiteral("p.kvp")));
    EXPECT_TRUE(d.window.page().BckImg().picture().isEmpty());
    d.window.page().BckImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    ASSERT_TRUE(d.window.FsaveClick());
    d.window.action(QStringLiteral("RemoveBckImg"))->trigger();
    QCoreApplication::processEvents();
    d.window.action(QStringLiteral("Undo"))->trigger();
    EXPECT_FALSE(d.window.page().BckImg().picture().isEmpty());
    d.window.action(QStringLiteral("Redo"))->trigger();
    ASSERT_TRUE(d.window.FsaveClick());
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("p.im1"))));
    Designer reopened(work.filePath(QStringLiteral("p.kvp")));
    EXPECT_TRUE(reopened.window.page().BckImg().picture().isEmpty());
}

TEST_F(Document, AFolderThatTakesNoNewFileOpensAndSavesInPlace)
{
    page.MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    SaveProject(context, work.filePath(QStringLiteral("shared.kvp")));
    const auto undo = refuseNewFiles(work.path()); // a colleague's folder, a CD
    if (!undo)
        GTEST_SKIP() << "this file system cannot make a folder refuse new files";
    Designer d(work.filePath(QStringLiteral("shared.kvp")));
    EXPECT_EQ(d.window.page().MainImg().picture().format(), PictureFormat::Gif);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();

    // Files that are there are written where they are.
    d.type("MEN", QStringLiteral("In place"));
    d.window.page().MainImg().setPicture(loadPicture(testData("raster/png_rgb_qt.png")));
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("shared.im2"))), readBytes(testData("raster/png_rgb_qt.png")));
    const QByteArray saved = readBytes(work.filePath(QStringLiteral("shared.kvp")));
    EXPECT_TRUE(saved.contains("MTN-Tx=In place\r\n"));

    // A new side file cannot be made there: nothing is written, and the user is told
    // which file and why.
    d.window.page().BckImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    d.type("MEN", QStringLiteral("Not saved"));
    ErrorBoxes boxes;
    boxes.watch(1);
    EXPECT_FALSE(d.window.FsaveClick());
    undo();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("„shared.im1“ nelze zapsat"))) << boxes.texts[0].toStdString();
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("shared.kvp"))), saved);
    EXPECT_EQ(filesIn(work.path()), (QStringList{"shared.im2", "shared.kvp"}));
    EXPECT_TRUE(d.unsaved());
}

TEST_F(Document, AFullDiskLeavesTheProjectAsItWas)
{
    QDir(work.path()).mkdir(QStringLiteral("disk"));
    const QString folder = work.filePath(QStringLiteral("disk"));
    FullDisk disk(folder);
    ASSERT_TRUE(disk.isValid());
    page.MainImg().setPicture(loadPicture(testData("raster/gif_transparent.gif")));
    SaveProject(context, folder + QStringLiteral("/full.kvp"));
    disk.fill();
    const QByteArray project = readBytes(folder + QStringLiteral("/full.kvp"));
    ASSERT_FALSE(project.isEmpty());

    Designer d(folder + QStringLiteral("/full.kvp"));
    d.type("MEN", QStringLiteral("Longer title than the one the file holds now"));
    d.window.page().MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    ErrorBoxes boxes;
    boxes.watch(1);
    EXPECT_FALSE(d.window.FsaveClick());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("„full.im2“ nelze zapsat: ") + disk.reason()))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(readBytes(folder + QStringLiteral("/full.kvp")), project) << "not cut short";
    EXPECT_EQ(readBytes(folder + QStringLiteral("/full.im2")), readBytes(testData("raster/gif_transparent.gif")));
    EXPECT_TRUE(d.unsaved());
}

TEST_F(Document, AQuestionClosedWithoutAnAnswerKeepsTheWindowAndTheWork)
{
    Designer d;
    d.type("MEN", QStringLiteral("Unsaved work"));
    QString asked;
    for (bool escape : {false, true}) {
        leaveNextQuestion(escape, &asked);
        d.window.FNewClick();
        EXPECT_EQ(asked, QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?"));
        leaveNextQuestion(escape, &asked);
        d.window.FOpenClick(); // no file dialog may follow
        leaveNextQuestion(escape, &asked);
        EXPECT_FALSE(d.window.close());
        EXPECT_TRUE(d.window.isVisible());
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Unsaved work"));
        EXPECT_TRUE(d.unsaved());
    }
    EXPECT_EQ(d.dialogs, 0);
}

TEST_F(Document, UndoKnowsWhatWasSavedAndEmptyBoxesKeepTheirSamples)
{
    Designer d;
    QLineEdit *men = d.window.editBox(QStringLiteral("MEN"));
    ASSERT_TRUE(men->text().isEmpty());
    EXPECT_EQ(men->placeholderText(), QStringLiteral("Nadpis"));

    // Nothing done is nothing to save: a cancelled picture dialog, the tool windows.
    d.window.setOpenPictureDialog([](QWidget *) { return QString(); });
    d.window.ImgMainClick();
    d.window.BEoClick();
    d.window.LRBtnClick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.unsaved());

    QTest::keyClicks(men, QStringLiteral("X"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(d.unsaved());
    d.window.action(QStringLiteral("Undo"))->trigger();
    EXPECT_FALSE(d.unsaved()) << "undone back to the start";
    EXPECT_TRUE(men->text().isEmpty()) << "the sample stays a hint";
    EXPECT_EQ(men->placeholderText(), QStringLiteral("Nadpis"));
    QTest::keyClicks(men, QStringLiteral("Y"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Y"));

    // Saved, changed and undone: saved again; redone: unsaved.
    d.answers << work.filePath(QStringLiteral("u.kvp"));
    d.window.SaveAsClick();
    EXPECT_FALSE(d.unsaved());
    QTest::keyClicks(men, QStringLiteral("Z"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(d.unsaved());
    d.window.action(QStringLiteral("Undo"))->trigger();
    EXPECT_FALSE(d.unsaved());
    d.window.action(QStringLiteral("Redo"))->trigger();
    EXPECT_TRUE(d.unsaved());
}

TEST_F(Document, RecoveryCopiesFollowChangesOnlyAndLinkUnchangedPictures)
{
    CoverDocument document(work.path());
    document.start(QString());
    QTemporaryDir state;
    auto owned = std::make_unique<RecoveryWriter>(document, std::make_unique<RecoveryStore>(state.path()));
    RecoveryWriter &writer = *owned;
    document.enableRecovery(std::move(owned));
    const QString run = writer.store().runFolder();
    const auto inode = [&](int copy) {
        struct stat st {};
        ::stat(QFile::encodeName(run + QStringLiteral("/copy-%1/recovery.im2").arg(copy)).constData(), &st);
        return st.st_ino;
    };
    const auto tick = [&] {
        document.history().recordNow();
        writer.writeIfChanged();
        writer.wait();
    };

    tick();
    EXPECT_FALSE(QFileInfo::exists(run)) << "nothing unsaved, nothing to copy";
    document.page().MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    tick();
    const ino_t picture = inode(1);
    ASSERT_NE(picture, 0u);
    tick();
    EXPECT_FALSE(QFileInfo::exists(run + QStringLiteral("/copy-2"))) << "no change, no new copy";
    document.page().item(QStringLiteral("MTN")).setText(QStringLiteral("Changed"));
    tick();
    EXPECT_FALSE(QFileInfo::exists(run + QStringLiteral("/copy-1")));
    EXPECT_EQ(inode(2), picture) << "the unchanged picture is linked, not written again";

    document.save(work.filePath(QStringLiteral("saved.kvp")), true);
    writer.wait();
    EXPECT_FALSE(QFileInfo::exists(run)) << "saved work needs no copy";
}

TEST(StoredPicture, HoldsTheFileBytesAndDecodesOnlyWhenNoOneHoldsThePixels)
{
    Picture photo = loadPicture(testData("raster/jpeg_baseline_420.jpg"));
    const Picture stored = photo.stored();
    EXPECT_TRUE(stored.isStored());
    EXPECT_EQ(stored.content(), nullptr);
    EXPECT_TRUE(stored.sameAs(photo));
    EXPECT_EQ(stored.revived().content(), photo.content()) << "shared while the page holds it";
    const QSize size = photo.size();
    photo = Picture();
    const Picture again = stored.revived();
    ASSERT_NE(again.content(), nullptr);
    EXPECT_EQ(again.size(), size);
}

TEST_F(Document, ADamagedPictureSideFileIsNamedNotDroppedSilently)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Album"));
    SaveProject(context, work.filePath(QStringLiteral("album.kvp")));
    writeBytes(work.filePath(QStringLiteral("album.im2")), readBytes(testData("raster/jpeg_baseline_420.jpg")).left(400));
    ErrorBoxes boxes;
    boxes.watch(1);
    Designer d(work.filePath(QStringLiteral("album.kvp")));
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Obrázek přední strany (album.im2) nelze načíst: ")))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Album")) << "the rest is opened";

    // Saved again, the file the program could not read is the user's still: kept.
    const QByteArray damaged = readBytes(work.filePath(QStringLiteral("album.im2")));
    d.type("MEN", QStringLiteral("Jiné album"));
    d.window.FsaveClick();
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("album.im2"))), damaged);

    // korvel-print says the same and prints nothing.
    QProcess print;
    print.setProcessChannelMode(QProcess::MergedChannels);
    print.start(QStringLiteral(KORVEL_PRINT_EXE), {work.filePath(QStringLiteral("album.kvp")), work.filePath(QStringLiteral("out.pdf"))});
    ASSERT_TRUE(print.waitForFinished(60000));
    EXPECT_EQ(print.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(print.readAll()).contains(QStringLiteral("Obrázek přední strany (album.im2) nelze načíst")));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("out.pdf"))));
}

TEST_F(Document, ACropIsDraggedUndoneAndSaved)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(QColor(40, 120, 200));
    ASSERT_TRUE(photo.save(work.filePath(QStringLiteral("photo.png"))));
    Designer d;
    d.window.setOpenPictureDialog([&](QWidget *) { return work.filePath(QStringLiteral("photo.png")); });
    d.window.ImgMainClick();
    // "Vyplnit" from the popup menu over the picture.
    PageView *view = d.window.QR();
    const QPoint onPicture = d.window.page().elementPixelRect("MainImg", 100).center();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, view->mapTo(&d.window, onPicture), view->mapToGlobal(onPicture));
    QApplication::sendEvent(&d.window, &menu);
    d.window.PopUpMenuMain()->close();
    d.window.findChild<QAction *>(QStringLiteral("PlaceFill"))->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(d.window.page().MainImg().placement().fit, PicturePlacement::Fit::Fill);
    const int steps = d.window.history().stack()->count();

    // A drag is one step, and moves the part that shows.
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, onPicture);
    for (int dx = 5; dx <= 60; dx += 5)
        QTest::mouseMove(view, onPicture + QPoint(dx, 0));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, onPicture + QPoint(60, 0));
    QCoreApplication::processEvents();
    const PicturePlacement dragged = d.window.page().MainImg().placement();
    EXPECT_LT(dragged.x, 500) << "dragged right, the picture's left part comes into view";
    EXPECT_EQ(d.window.history().stack()->count(), steps + 1);
    // Shift and the wheel zoom the crop.
    QWheelEvent wheel(QPointF(onPicture), view->mapToGlobal(QPointF(onPicture)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_EQ(d.window.page().MainImg().placement().zoom, 1100);
    d.window.action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(d.window.page().MainImg().placement(), dragged);
    d.window.action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(d.window.page().MainImg().placement().x, 500) << "Ctrl+Z puts the crop back";
    d.window.action(QStringLiteral("Redo"))->trigger();

    d.answers << work.filePath(QStringLiteral("cropped.kvp"));
    d.window.SaveAsClick();
    const QByteArray saved = readBytes(work.filePath(QStringLiteral("cropped.kvp")));
    EXPECT_TRUE(saved.contains("MImg-Fit=Fill\r\n"));
    EXPECT_TRUE(saved.contains(QStringLiteral("MImg-X=%1\r\n").arg(dragged.x).toLatin1()));
    EXPECT_FALSE(saved.contains("BImg-Fit")) << "a stretched picture writes no keys";
    Designer reopened(work.filePath(QStringLiteral("cropped.kvp")));
    EXPECT_EQ(reopened.window.page().MainImg().placement(), dragged);

    // korvel-print prints the crop as the designer shows it.
    QProcess print;
    print.start(QStringLiteral(KORVEL_PRINT_EXE), {work.filePath(QStringLiteral("cropped.kvp")), work.filePath(QStringLiteral("out.png"))});
    ASSERT_TRUE(print.waitForFinished(60000));
    ASSERT_EQ(print.exitCode(), 0);
    const QImage printed = QImage(work.filePath(QStringLiteral("out.png"))).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(printed, renderPaper(reopened.window.page(), 96));
}
