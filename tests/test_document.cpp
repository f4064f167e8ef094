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
#include "project/SheetView.h"
#include "dialogs/TDotazFrm.h"
#include "dialogs/TFrmEdit.h"
#include "project/CoverDocument.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryWriter.h"
#include "project/RecoveryStore.h"
#include "settings/CommandError.h"
#include "project/SpinePictureState.h"
#include "settings/UserRegistry.h"

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
    save(work.filePath(QStringLiteral("album.kvp")));
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
    save(work.filePath(QStringLiteral("p.kvp")));
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
    d.window.removePictureAction(false)->trigger();
    QCoreApplication::processEvents();
    d.window.Undo()->trigger();
    EXPECT_FALSE(d.window.page().BckImg().picture().isEmpty());
    d.window.Redo()->trigger();
    ASSERT_TRUE(d.window.FsaveClick());
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("p.im1"))));
    Designer reopened(work.filePath(QStringLiteral("p.kvp")));
    EXPECT_TRUE(reopened.window.page().BckImg().picture().isEmpty());
}

TEST_F(Document, AFolderThatTakesNoNewFileOpensAndSavesInPlace)
{
    page.MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    save(work.filePath(QStringLiteral("shared.kvp")));
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
    save(folder + QStringLiteral("/full.kvp"));
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
    d.window.Undo()->trigger();
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
    d.window.Undo()->trigger();
    EXPECT_FALSE(d.unsaved());
    d.window.Redo()->trigger();
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
    save(work.filePath(QStringLiteral("album.kvp")));
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
    const QPoint onPicture = SheetView::pixelRect(d.window.page().elementRect("MainImg"), 100).center();
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
    d.window.Undo()->trigger();
    EXPECT_EQ(d.window.page().MainImg().placement(), dragged);
    d.window.Undo()->trigger();
    EXPECT_EQ(d.window.page().MainImg().placement().x, 500) << "Ctrl+Z puts the crop back";
    d.window.Redo()->trigger();

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

namespace {

// korvel-print's exit code and what it said; the environment as given (none: as is).
std::pair<int, QString> runPrint(const QStringList &arguments, const QProcessEnvironment &env = {})
{
    QProcess print;
    if (!env.isEmpty())
        print.setProcessEnvironment(env);
    print.start(QStringLiteral(KORVEL_PRINT_EXE), arguments);
    if (!print.waitForFinished(60000))
        return {-1, QString()};
    return {print.exitCode(), QString::fromLocal8Bit(print.readAllStandardError())};
}

} // namespace

TEST_F(Document, AConfirmedOverwriteOfAFileThatIsNoProjectReplacesItWhole)
{
    const QString path = work.filePath(QStringLiteral("album.kvp"));
    const QByteArray targets[] = {QByteArray(2250, '\0'),                             // zeroed by a power cut
                                  QByteArray("PK\x03\x04\x14\x00\x00\x00", 8) + "zip", // a binary file
                                  "Moje poznámky\r\n[Jiné]\r\nklíč=hodnota\r\n"};       // text without [SecCD]
    for (const QByteArray &target : targets) {
        writeBytes(path, target);
        CoverDocument document(work.path());
        document.start(QString());
        EXPECT_THROW(document.open(path), CommandError);
        document.setText(2, QStringLiteral("Nové album"));
        document.save(path, true);
        const QByteArray saved = readBytes(path);
        EXPECT_TRUE(saved.startsWith("[SecCD]\r\n")) << saved.left(40).toHex().toStdString();
        EXPECT_FALSE(saved.contains("klíč") || saved.contains('\0') || saved.contains("PK"));

        CoverDocument again(work.path());
        again.start(QString());
        again.open(path);
        EXPECT_EQ(again.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Nové album"));
    }
    const auto [code, said] = runPrint({path, work.filePath(QStringLiteral("out.png"))});
    EXPECT_EQ(code, 0) << said.toStdString();

    // A project keeps what else it holds, as ever.
    writeBytes(path, "[Jiné]\r\nklíč=1\r\n[SecCD]\r\nNeznámý=2\r\n");
    CoverDocument document(work.path());
    document.start(QString());
    document.save(path, true);
    EXPECT_TRUE(readBytes(path).startsWith("[Jiné]\r\nklíč=1\r\n[SecCD]\r\nNeznámý=2\r\n"));
}

TEST_F(Document, ADamagedSideFileOutlivesRestoredWorkUndoAndRedoUntilTheUserRemovesIt)
{
    const QString path = work.filePath(QStringLiteral("album.kvp"));
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Album"));
    save(path);
    const QString im2 = work.filePath(QStringLiteral("album.im2"));
    const QByteArray damaged = readBytes(testData("raster/jpeg_baseline_420.jpg")).left(400);
    writeBytes(im2, damaged);
    QTemporaryDir state;
    {
        // Opened and changed; the recovery copy is written; then the designer is killed
        // (the document goes without removing its copy).
        CoverDocument document(work.path());
        document.enableRecovery(std::make_unique<RecoveryWriter>(document, std::make_unique<RecoveryStore>(state.path())));
        document.start(QString());
        ASSERT_EQ(document.open(path).size(), 1);
        document.setText(2, QStringLiteral("Rozpracované"));
        document.history().recordNow();
        QString error;
        ASSERT_TRUE(document.recovery()->writeNow(&error)) << error.toStdString();
    }
    CoverDocument document(work.path());
    document.start(QString());
    RecoveryStore store(state.path());
    const QList<RecoveryStore::Abandoned> copies = store.findAbandoned();
    ASSERT_EQ(copies.size(), 1);
    document.restore(copies[0].project(), copies[0].projectPath, copies[0].named, copies[0].kept);
    EXPECT_EQ(document.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Rozpracované"));
    document.save(document.path(), true);
    EXPECT_EQ(readBytes(im2), damaged) << "restored work keeps the picture it could not show";

    // Removed with the popup menu's command it goes; undone, it stays; redone, it goes.
    ASSERT_TRUE(document.hasPictureToRemove(true));
    EXPECT_FALSE(document.hasPictureToRemove(false));
    document.removePicture(true);
    document.history().recordNow();
    EXPECT_FALSE(document.hasPictureToRemove(true));
    document.undoStack()->undo();
    document.save(path, true);
    EXPECT_EQ(readBytes(im2), damaged);
    document.undoStack()->redo();
    document.save(path, true);
    EXPECT_FALSE(QFile::exists(im2));
}

TEST_F(Document, SideFilesWhoseNamesDifferOnlyInCaseBelongToTheProject)
{
    // As copied from another system or a CD: upper-case names throughout.
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("CD"));
    page.MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    save(work.filePath(QStringLiteral("album.kvp")));
    ASSERT_TRUE(QFile::rename(work.filePath(QStringLiteral("album.kvp")), work.filePath(QStringLiteral("ALBUM.KVP"))));
    ASSERT_TRUE(QFile::rename(work.filePath(QStringLiteral("album.im2")), work.filePath(QStringLiteral("ALBUM.IM2"))));
    const QString path = work.filePath(QStringLiteral("ALBUM.KVP"));

    CoverDocument document(work.path());
    document.start(QString());
    EXPECT_TRUE(document.open(path).isEmpty());
    EXPECT_EQ(document.page().MainImg().picture().format(), PictureFormat::Gif);
    document.page().MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    document.page().BckImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    document.save(path, true);
    EXPECT_EQ(filesIn(work.path()), (QStringList{"ALBUM.IM2", "ALBUM.KVP", "ALBUM.im1"}))
        << "the front is written to the name that is there, the new back gets the usual one";
    EXPECT_EQ(Picture::extensionBySignature(readBytes(work.filePath(QStringLiteral("ALBUM.IM2")))), QStringLiteral(".bmp"));

    // Mixed case, and korvel-print: the photo is printed, not left out.
    ASSERT_TRUE(QFile::rename(path, work.filePath(QStringLiteral("Album.Kvp"))));
    const QString png = work.filePath(QStringLiteral("out.png"));
    EXPECT_EQ(runPrint({work.filePath(QStringLiteral("Album.Kvp")), png}).first, 0);
    const QImage withPhoto(png);
    ASSERT_TRUE(QFile::remove(work.filePath(QStringLiteral("ALBUM.IM2"))));
    EXPECT_EQ(runPrint({work.filePath(QStringLiteral("Album.Kvp")), png}).first, 0);
    EXPECT_NE(QImage(png), withPhoto);

    // An exact match wins over a variant.
    writeBytes(work.filePath(QStringLiteral("Album.im2")), readBytes(testData("raster/gif_89a.gif")));
    writeBytes(work.filePath(QStringLiteral("ALBUM.IM2")), readBytes(testData("raster/bmp_24bpp.bmp")));
    CoverDocument exact(work.path());
    exact.start(QString());
    exact.open(work.filePath(QStringLiteral("Album.Kvp")));
    EXPECT_EQ(exact.page().MainImg().picture().format(), PictureFormat::Gif);
}

TEST_F(Document, OpenRemovesWhatAKilledSaveOfTheProjectLeft)
{
    CoverDocument document(work.path());
    document.start(QString());
    const QString path = work.filePath(QStringLiteral("album.kvp"));
    document.save(path, true);
    for (const char *name : {".album.kvp.Q1w2E3r4", ".album.im2.Q1w2E3r4", ".album.im1.aaaaaaaa", ".other.kvp.Q1w2E3r4"})
        writeBytes(work.filePath(QString::fromLatin1(name)), "half");
    document.open(path);
    EXPECT_EQ(filesIn(work.path()), (QStringList{".other.kvp.Q1w2E3r4", "album.kvp"}));
}

TEST_F(Document, RecoveryTidiesUpAfterEndedRunsAndKeepsItsFilesPrivate)
{
    QTemporaryDir home;
    // A new account: nothing of the state folder's path exists yet.
    const QString folder = home.filePath(QStringLiteral(".local/state/korvel"));
    const auto mode = [](const QString &path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    };
    {
        CoverDocument document(work.path());
        document.enableRecovery(std::make_unique<RecoveryWriter>(document, std::make_unique<RecoveryStore>(folder)));
        document.start(QString());
        document.setText(2, QStringLiteral("Změna"));
        document.history().recordNow();
        QString error;
        ASSERT_TRUE(document.recovery()->writeNow(&error)) << error.toStdString();
        EXPECT_EQ(mode(home.filePath(QStringLiteral(".local"))), 0700u);
        EXPECT_EQ(mode(home.filePath(QStringLiteral(".local/state"))), 0700u);
        EXPECT_EQ(mode(document.recovery()->store().runFolder() + QStringLiteral(".lock")), 0600u);
    }
    // A run killed while it wrote its first copy left only the half-written one.
    const QString half = folder + QStringLiteral("/run-killed/.tmp-1");
    ASSERT_TRUE(QDir().mkpath(half));
    writeBytes(half + QStringLiteral("/recovery.im2"), "photo");
    RecoveryStore store(folder);
    EXPECT_EQ(store.findAbandoned().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/run-killed")));
}

TEST(Messages, DamagedPicturesAndMissingFilesAreToldInCzech)
{
    QTemporaryDir dir;
    const QString cut = dir.filePath(QStringLiteral("cut.jpg"));
    writeBytes(cut, readBytes(testData("raster/jpeg_baseline_420.jpg")).left(2000));
    Picture picture;
    QString error;
    EXPECT_FALSE(picture.loadFromFile(cut, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("soubor končí předčasně"))) << error.toStdString();
    EXPECT_FALSE(picture.loadFromFile(dir.filePath(QStringLiteral("gone.jpg")), &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral("soubor neexistuje"))) << error.toStdString();
    const QString png = dir.filePath(QStringLiteral("bad.png"));
    QByteArray bytes = readBytes(testData("raster/png_rgb_qt.png"));
    ASSERT_GT(bytes.size(), 40);
    bytes[30] = char(bytes[30] ^ 0x55); // inside the header chunk: its checksum no longer fits
    writeBytes(png, bytes);
    EXPECT_FALSE(picture.loadFromFile(png, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kontrolní součet"))) << error.toStdString();

    // korvel-print without a desktop session says nothing of Qt's, and refuses an
    // unknown option as the designer does.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    bare.remove(QStringLiteral("QT_LOGGING_RULES"));
    const auto [code, said] = runPrint({dir.filePath(QStringLiteral("out.png"))}, bare);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(said, QString());
    const auto [refused, why] = runPrint({QStringLiteral("--bogus"), dir.filePath(QStringLiteral("out.png"))}, bare);
    EXPECT_EQ(refused, 2);
    EXPECT_TRUE(why.startsWith(QStringLiteral("korvel-print: neznámá volba „--bogus“\n"))) << why.toStdString();
}

TEST_F(Document, RefusalsOfTheStorageReachTheWindowsAsCommandErrors)
{
    CoverDocument document(work.path());
    document.start(QString());
    document.spine().mirrorToRegistry();
    // Text the project file cannot hold: refused by the settings, named as the user
    // sees it, and the work stays unsaved.
    document.setText(2, QStringLiteral("日本"));
    try {
        document.save(work.filePath(QStringLiteral("j.kvp")), true);
        ADD_FAILURE() << "the save must not report success";
    } catch (const CommandError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Nadpis"))) << e.message().toStdString();
    }
    EXPECT_TRUE(document.isModified());
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("j.kvp"))));

    // The per-user store refusing a write ends the spine command with its own message.
    writeBytes(work.filePath(QStringLiteral("not-a-folder")), "x");
    UserRegistry::setStorePath(work.filePath(QStringLiteral("not-a-folder/store.ini")));
    try {
        document.spine().remember(QString::fromLatin1(SpinePictureState::kNone));
        ADD_FAILURE() << "the refused write must end the command";
    } catch (const CommandError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Failed to"))) << e.message().toStdString();
    }
    UserRegistry::setStorePath(work.filePath(QStringLiteral("registry/store.ini")));

    // A picture that cannot be read leaves the element as it was.
    writeBytes(work.filePath(QStringLiteral("broken.bmp")), "BM not a bitmap");
    EXPECT_THROW(document.loadPicture(true, work.filePath(QStringLiteral("broken.bmp"))), CommandError);
    EXPECT_TRUE(document.page().MainImg().picture().isEmpty());
}
