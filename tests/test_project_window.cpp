// New, Open, Save, Save As and closing, driven through the main window.
#include <QAction>

#include "project/SheetView.h"
#include <QCloseEvent>
#include <QLineEdit>
#include <QClipboard>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QCheckBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include "DesignerTestUtil.h"
#include "dialogs/FileDialogFilters.h"
#include "app/TFrmMain.h"
#include "project/DocumentHistory.h"
#include "dialogs/TFrmEdit.h"
#include "project/PageGeometry.h"
#include "dialogs/TFrmNzvCD.h"

using namespace korvel;
using namespace korvel::test;

namespace {

using ProjectWindow = DesignerFixture;

} // namespace

TEST_F(ProjectWindow, StartWithoutArgumentLoadsTheTemplateOfTheStartDirectory)
{
    {
        // No template here: the program's own, the creation defaults with empty lists.
        Designer d;
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Nadpis"));
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).font().height, -64);
        EXPECT_TRUE(d.window.page().item(QStringLiteral("BTo")).lines().isEmpty());
        EXPECT_FALSE(d.unsaved());
        EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
    }
    writeBytes(work.filePath(QStringLiteral("default.kvd")), "[SecCD]\r\nMTN-Tx=Template title\r\nBTo-Tx-L=1\r\nBTo-Tx1=Track\r\n");
    Designer d(QString(), work.path());
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Template title"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), QStringList{QStringLiteral("Track")});
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEN"))->text().isEmpty());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
    EXPECT_FALSE(d.window.isNamedProject());
}

TEST_F(ProjectWindow, AProjectGivenAtStartIsSavedWithoutADialog)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Album"));
    save(work.filePath(QStringLiteral("album.kvp")));
    Designer d(work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Album"));
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->text(), QStringLiteral("Album"));
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - album.kvp"));
    d.type("MEN", QStringLiteral("Edited"));
    EXPECT_TRUE(d.unsaved());
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 0);
    EXPECT_FALSE(d.unsaved());
    EXPECT_TRUE(readBytes(work.filePath(QStringLiteral("album.kvp"))).contains("MTN-Tx=Edited\r\n"));
}

TEST_F(ProjectWindow, SaveOfAnUnnamedProjectAsksEveryTimeAndBeforeOverwriting)
{
    Designer d;
    d.type("MEN", QStringLiteral("First"));
    const QString file = work.filePath(QStringLiteral("new.kvp"));
    d.answers << file;
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 1);
    EXPECT_FALSE(d.unsaved());
    EXPECT_FALSE(d.window.isNamedProject()) << "Save never names the project";
    EXPECT_EQ(d.window.savePath(), file);

    d.type("MEN", QStringLiteral("Second"));
    d.answers << file;
    QString caption;
    answerNextQuestion(false, &caption);
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 2);
    EXPECT_EQ(caption, QStringLiteral("Soubor existuje!"));
    EXPECT_TRUE(readBytes(file).contains("MTN-Tx=First\r\n")) << "\"Ne\" keeps the file";
    EXPECT_TRUE(d.unsaved());

    d.answers << file;
    answerNextQuestion(true);
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_TRUE(readBytes(file).contains("MTN-Tx=Second\r\n"));
    EXPECT_FALSE(d.unsaved());

    // Save As names the project; Save then writes without a dialog.
    const QString other = work.filePath(QStringLiteral("other.kvp"));
    d.answers << other;
    d.window.SaveAsClick();
    EXPECT_TRUE(d.window.isNamedProject());
    d.type("MEN", QStringLiteral("Third"));
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 4);
    EXPECT_TRUE(readBytes(other).contains("MTN-Tx=Third\r\n"));
}

TEST_F(ProjectWindow, OpenLoadsIntoPageAndBoxesAndNewStartsFromTheTemplateReadAtStart)
{
    QDir(work.path()).mkdir(QStringLiteral("covers"));
    writeBytes(work.filePath(QStringLiteral("covers/a.kvp")), "[SecCD]\r\nMTht-Tx=Opened\r\n");
    writeBytes(work.filePath(QStringLiteral("covers/default.kvd")), "[SecCD]\r\nMTht-Tx=Covers template\r\n");
    Designer d;
    d.answers << QString(); // cancelled: nothing changes
    d.window.FOpenClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Horní text"));

    d.answers << work.filePath(QStringLiteral("covers/a.kvp"));
    d.window.FOpenClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Opened"));
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEht"))->text(), QStringLiteral("Opened"));
    EXPECT_TRUE(d.window.isNamedProject());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.savePath(), work.filePath(QStringLiteral("covers/a.kvp")));

    // New takes the template read at start, not one of the folder Open went to.
    d.window.FNewClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Horní text"));
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEht"))->text().isEmpty());
    EXPECT_FALSE(d.window.isNamedProject());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
}

TEST_F(ProjectWindow, AnsweringYesThenCancellingTheSaveKeepsTheWork)
{
    // New, Open and closing alike: "Ano" means keep the work, so a save dialog given
    // up ends the command and the work stays in the window.
    for (const int command : {0, 1, 2}) {
        SCOPED_TRACE(command);
        Designer d;
        d.type("MEN", QStringLiteral("Work"));
        QString caption;
        answerNextQuestion(true, &caption);
        d.answers << QString(); // the save dialog is cancelled
        if (command == 0)
            d.window.FNewClick();
        else if (command == 1)
            d.window.FOpenClick();
        else
            EXPECT_FALSE(d.window.close());
        EXPECT_EQ(caption, QStringLiteral("Neuloženo !"));
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Work"));
        EXPECT_TRUE(d.unsaved());
        EXPECT_EQ(d.dialogs, 1);
    }
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*.kvp")}).isEmpty());
}

TEST_F(ProjectWindow, ClosingAsksAndAnsweringNoWritesNothing)
{
    {
        Designer d;
        d.type("MEN", QStringLiteral("Work"));
        answerNextQuestion(false);
        EXPECT_TRUE(d.window.close());
    }
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*.kvp")}).isEmpty());

    // A save asked for at closing that fails keeps the window open with the error.
    Designer d;
    d.type("MEN", QStringLiteral("Work"));
    answerNextQuestion(true);
    d.answers << work.filePath(QStringLiteral("missing/folder/x.kvp"));
    QString error;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        error = box->text();
        box->accept();
    }, 300);
    EXPECT_FALSE(d.window.close());
    EXPECT_TRUE(error.contains(QStringLiteral("x.kvp“ nelze zapsat: složka neexistuje"))) << error.toStdString();
    EXPECT_TRUE(d.unsaved());
}

TEST_F(ProjectWindow, ASaveThatFailsEndsNewAndOpenAndKeepsTheWork)
{
    writeBytes(work.filePath(QStringLiteral("other.kvp")), "[SecCD]\r\nMTN-Tx=Other\r\n");
    for (const bool open : {false, true}) {
        Designer d;
        d.type("MEN", QStringLiteral("Work"));
        answerNextQuestion(true);
        d.answers << work.filePath(QStringLiteral("missing/folder/x.kvp"));
        if (open)
            d.answers << work.filePath(QStringLiteral("other.kvp")); // must not be asked for
        QString error;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            error = box->text();
            box->accept();
        }, 300);
        if (open)
            d.window.FOpenClick();
        else
            d.window.FNewClick();
        EXPECT_TRUE(error.contains(QStringLiteral("x.kvp“ nelze zapsat: složka neexistuje"))) << error.toStdString();
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Work"));
        EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->text(), QStringLiteral("Work"));
        EXPECT_TRUE(d.unsaved());
        EXPECT_EQ(d.dialogs, 1) << (open ? "Open" : "New") << " went on after the failed save";
    }
}

TEST_F(ProjectWindow, TheProjectDialogsOfferProjectsAndEveryFile)
{
    EXPECT_EQ(TFrmMain::projectFilters(),
              (QStringList{QStringLiteral("Projekt CD (*.kvp)"), QStringLiteral("Všechny soubory (*.*)")}));
    // "*.*" stands for every file, also one without a dot in its name.
    EXPECT_EQ(patternsOfFilter(QStringLiteral("Všechny soubory (*.*)")), QStringList{QStringLiteral("*")});
    EXPECT_EQ(patternsOfFilter(QStringLiteral("Vše (*.gif;*.dib)")),
              (QStringList{QStringLiteral("*.gif"), QStringLiteral("*.dib")}));
}

namespace {

// Accepts every error box the next command shows and keeps their texts.

} // namespace

TEST_F(ProjectWindow, ADottedNameGetsKvpAndSideFilesOfItsOwn)
{
    writeBytes(work.filePath(QStringLiteral("photo.bmp")), readBytes(testData("raster/bmp_24bpp.bmp")));
    Designer d;
    QString error;
    ASSERT_TRUE(d.window.page().BckImg().loadFromFile(work.filePath(QStringLiteral("photo.bmp")), &error));
    d.answers << work.filePath(QStringLiteral("Deska 1.5"));
    d.window.SaveAsClick();
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("Deska 1.5.kvp"))));
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("Deska 1.5.im1"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("Deska.im1"))));
    EXPECT_EQ(d.window.savePath(), work.filePath(QStringLiteral("Deska 1.5.kvp")));

    // A dotted base is no picture extension: the spine shows the picture mode, empty.
    writeBytes(work.filePath(QStringLiteral("Album 2.0.kvp")), "[SecCD]\r\nMTN-Tx=Two\r\nLR-Grd=0\r\n");
    ErrorBoxes boxes;
    boxes.watch(1);
    d.answers << work.filePath(QStringLiteral("Album 2.0.kvp"));
    d.window.FOpenClick();
    QTest::qWait(50);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Two"));
    EXPECT_FALSE(d.window.page().CDL().gradient().Visible);
    EXPECT_TRUE(d.window.page().CDL().backImage().isEmpty());
    EXPECT_TRUE(d.window.page().BckImg().picture().isEmpty()) << "no side files, no pictures";
}

TEST_F(ProjectWindow, AnOpenThatFailsChangesNothingAndLeavesNoStep)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("First"));
    save(work.filePath(QStringLiteral("a.kvp")));
    writeBytes(work.filePath(QStringLiteral("b.kvp")), "[SecCD]\r\nMTN-Tx=Second\r\n");
    writeBytes(work.filePath(QStringLiteral("photo.kvp")), readBytes(testData("raster/jpeg_baseline_420.jpg")));

    Designer d(work.filePath(QStringLiteral("a.kvp")));
    d.window.setRecoveryInterval(10);
    d.type("MEht", QStringLiteral("Edited"));
    QCoreApplication::processEvents();
    const QString caption = d.window.windowTitle();
    const PageState before = d.window.page().state();
    const int steps = d.window.history().stack()->count();

    // A picture renamed to a project is refused before anything changes: no step to
    // undo, the work still unsaved, the next undo undoes the user's own edit.
    ErrorBoxes boxes;
    boxes.watch(1);
    answerNextQuestion(false);
    d.answers << work.filePath(QStringLiteral("photo.kvp"));
    d.window.FOpenClick();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("není projekt"))) << boxes.texts[0].toStdString();
    EXPECT_TRUE(d.window.page().state() == before);
    EXPECT_EQ(d.window.windowTitle(), caption);
    EXPECT_EQ(d.window.history().stack()->count(), steps);
    EXPECT_TRUE(d.unsaved());
    d.window.Undo()->trigger();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Horní text"));
    EXPECT_EQ(d.window.savePath(), work.filePath(QStringLiteral("a.kvp")));

    // The per-user store refusing every write does not stop an Open: the cover holds
    // the remembered spine picture itself.
    writeBytes(work.filePath(QStringLiteral("not-a-folder")), "x");
    UserRegistry::setStorePath(work.filePath(QStringLiteral("not-a-folder/store.ini")));
    d.answers << work.filePath(QStringLiteral("b.kvp"));
    d.window.FOpenClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Second"));
    EXPECT_EQ(d.window.history().stack()->count(), 0);
    UserRegistry::setStorePath(work.filePath(QStringLiteral("registry/store.ini")));
}

TEST_F(ProjectWindow, ARefusedOverwriteKeepsTheNameAndTheOtherFile)
{
    save(work.filePath(QStringLiteral("a.kvp")));
    writeBytes(work.filePath(QStringLiteral("b.kvp")), "[SecCD]\r\nMTN-Tx=B\r\n");
    Designer d(work.filePath(QStringLiteral("a.kvp")));
    const QString caption = d.window.windowTitle();
    d.type("MEN", QStringLiteral("Edited"));
    d.answers << work.filePath(QStringLiteral("b.kvp"));
    answerNextQuestion(false);
    d.window.SaveAsClick();
    EXPECT_EQ(d.window.savePath(), work.filePath(QStringLiteral("a.kvp")));
    EXPECT_EQ(d.window.windowTitle(), caption);
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("b.kvp"))), QByteArray("[SecCD]\r\nMTN-Tx=B\r\n"));
    EXPECT_TRUE(readBytes(work.filePath(QStringLiteral("a.kvp"))).contains("MTN-Tx=Edited\r\n"));
}

TEST_F(ProjectWindow, AnUnchangedTiledProjectSavesTheKeysItRead)
{
    spine.setStretchChoice(false);
    page.CDL().setBackImageMode(BackImageMode::pbmTile);
    page.CDR().setBackImageMode(BackImageMode::pbmTile);
    save(work.filePath(QStringLiteral("tiled.kvp")));
    Designer d(work.filePath(QStringLiteral("tiled.kvp")));
    d.answers << work.filePath(QStringLiteral("copy.kvp"));
    d.window.SaveAsClick();
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("copy.kvp"))), readBytes(work.filePath(QStringLiteral("tiled.kvp"))));
}

TEST_F(ProjectWindow, NewDropsThePicturesAndARemovedPictureStaysRemoved)
{
    page.MainImg().setPicture(Picture());
    writeBytes(work.filePath(QStringLiteral("a.kvp")), "[SecCD]\r\n");
    writeBytes(work.filePath(QStringLiteral("a.im1")), readBytes(testData("raster/bmp_24bpp.bmp")));
    writeBytes(work.filePath(QStringLiteral("a.im2")), readBytes(testData("raster/gif_89a.gif")));
    Designer d(work.filePath(QStringLiteral("a.kvp")));
    ASSERT_FALSE(d.window.page().BckImg().picture().isEmpty());

    d.window.removePicture(true);
    EXPECT_TRUE(d.unsaved());
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("a.im2")))) << "the removed picture's side file goes";
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("a.im1"))));

    d.window.FNewClick();
    EXPECT_TRUE(d.window.page().BckImg().picture().isEmpty());
    EXPECT_TRUE(d.window.page().MainImg().picture().isEmpty());
}

TEST_F(ProjectWindow, ToolWindowsFollowOpenUndoAndClearing)
{
    writeBytes(work.filePath(QStringLiteral("a.kvp")), "[SecCD]\r\nBTo-Tx-L=1\r\nBTo-Tx1=Old track\r\nLR-Txt=Old\r\n");
    writeBytes(work.filePath(QStringLiteral("b.kvp")), "[SecCD]\r\nBTo-Tx-L=2\r\nBTo-Tx1=New 1\r\nBTo-Tx2=New 2\r\nLR-Txt=New\r\n");
    Designer d(work.filePath(QStringLiteral("a.kvp")));
    d.window.BEoClick();
    d.window.LRBtnClick();
    d.window.LRBtnClick();
    ASSERT_EQ(d.window.findChildren<TFrmNzvCD *>().size(), 1) << "one spine window, shown again";
    TFrmEdit *editor = d.window.listEditor(TFrmEdit::kTargetContents);
    TFrmNzvCD *spine = d.window.spineDialog();
    answerNextQuestion(false); // opening the tool windows counted as a change
    d.answers << work.filePath(QStringLiteral("b.kvp"));
    d.window.FOpenClick();
    EXPECT_EQ(editor->Text()->toPlainText(), QStringLiteral("New 1\nNew 2"));
    EXPECT_EQ(spine->Edt()->text(), QStringLiteral("New"));
    QTest::keyClicks(editor->Text(), QStringLiteral("!"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines().size(), 2);
    QCoreApplication::processEvents();

    // An alignment chosen in the main window shows in the editor; undo puts back
    // what both windows show.
    d.window.findChild<QToolButton *>(QStringLiteral("SpeedButton30"))->click(); // BTo flush right
    EXPECT_TRUE(editor->SpeedButton4()->isChecked());
    d.window.Undo()->trigger();
    EXPECT_FALSE(editor->SpeedButton4()->isChecked());
    d.window.Undo()->trigger();
    EXPECT_EQ(editor->Text()->toPlainText(), QStringLiteral("New 1\nNew 2"));
    QTest::keyClicks(spine->Edt(), QStringLiteral("er"));
    QCoreApplication::processEvents();
    d.window.Undo()->trigger();
    EXPECT_EQ(spine->Edt()->text(), QStringLiteral("New"));

    // Clearing the texts empties what every window shows and counts as a change.
    d.window.FsaveClick();
    answerNextQuestion(true);
    d.window.ClrTxtClick();
    EXPECT_TRUE(editor->Text()->toPlainText().isEmpty());
    EXPECT_TRUE(spine->Edt()->text().isEmpty());
    EXPECT_TRUE(d.unsaved());
    d.window.Undo()->trigger();
    EXPECT_EQ(editor->Text()->toPlainText(), QStringLiteral("New 1\nNew 2"));
    EXPECT_EQ(spine->Edt()->text(), QStringLiteral("New"));
}

TEST_F(ProjectWindow, ClearingTextsAfterNewEnablesSave)
{
    Designer d;
    ASSERT_FALSE(d.unsaved());
    answerNextQuestion(true);
    d.window.ClrTxtClick();
    EXPECT_TRUE(d.window.page().item(QStringLiteral("MTN")).text().isEmpty());
    EXPECT_TRUE(d.unsaved());
}

TEST_F(ProjectWindow, ZoomingLeavesEveryElementWhereItWas)
{
    Designer d;
    std::vector<QRectF> before;
    for (const ElementSpec &e : kJewelCase.elements)
        before.push_back(d.window.page().elementRect(e.name));
    for (int i = 0; i < 9; ++i)
        d.window.ZoomOutClick();
    ASSERT_EQ(d.window.view().zoom(), 10);
    d.window.ZoomDefClick();
    for (std::size_t i = 0; i < kJewelCase.elements.size(); ++i)
        EXPECT_EQ(d.window.page().elementRect(kJewelCase.elements[i].name), before[i]) << kJewelCase.elements[i].name;

    // A huge font raises a box no further than the outline it stands in.
    ItemFont huge = d.window.page().item(QStringLiteral("BTdt")).font();
    huge.height = -5000;
    d.window.page().item(QStringLiteral("BTdt")).setFont(huge);
    const QRectF box = d.window.page().elementRect("BTdt");
    const QRectF inlay = d.window.page().elementRect("QRShape3");
    EXPECT_LE(box.bottom(), inlay.bottom() + 1e-9);
}

TEST_F(ProjectWindow, TypedAndPastedTextKeepsWhatTheFileCanHold)
{
    Designer d;
    QLineEdit *box = d.window.editBox(QStringLiteral("MEN"));
    box->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("Live\nat ж Hall"));
    box->paste();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Live at  Hall"));
    EXPECT_TRUE(d.window.statusBar()->currentMessage().contains(QStringLiteral("ж")));

    d.window.BEoClick();
    auto *editor = d.window.findChild<TFrmEdit *>();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor->Text(), QStringLiteral("Track "));
    QTest::sendKeyEvent(QTest::Click, editor->Text(), Qt::Key_unknown, QStringLiteral("☺"), Qt::NoModifier);
    QTest::keyClicks(editor->Text(), QStringLiteral(" one"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), QStringList{QStringLiteral("Track  one")});
    EXPECT_TRUE(d.window.statusBar()->currentMessage().contains(QStringLiteral("☺")));

    // What still cannot be saved is refused naming the item as the user sees it.
    QStringList lines;
    for (int i = 1; i <= 13; ++i)
        lines << QStringLiteral("Track %1").arg(i);
    lines[12] = QStringLiteral("Track ж");
    d.window.page().item(QStringLiteral("BTo")).setLines(lines);
    ErrorBoxes boxes;
    boxes.watch(1);
    d.answers << work.filePath(QStringLiteral("x.kvp"));
    EXPECT_FALSE(d.window.FsaveClick());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("Obsah, řádek 13"))) << boxes.texts[0].toStdString();
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("x.kvp"))));
}
