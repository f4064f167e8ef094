// Every command of the main window within reach of the keyboard: the toolbar's keys,
// the popup menu for the focused item, the crop chosen with keys.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "app/PageView.h"
#include "app/TFrmMain.h"
#include "dialogs/FontDialog.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmInfo.h"
#include "dialogs/TFrmNzvCD.h"
#include "project/CoverPage.h"
#include "project/DocumentHistory.h"

using namespace korvel;
using namespace korvel::test;

namespace {

const QString kPhoto = QStringLiteral(KORVEL_TEST_DATA "/raster/bmp_24bpp.bmp");

// The designer, shown and active, its picture dialog answering with a test picture.
struct Window {
    TFrmMain window;
    int pictureDialogs = 0;
    Window()
    {
        window.setOpenPictureDialog([this](QWidget *) {
            ++pictureDialogs;
            return kPhoto;
        });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget *focus(const char *name)
    {
        auto *control = window.findChild<QWidget *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        // Active again after a question or a menu.
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        control->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([control] { return control->hasFocus(); })) << name;
        return control;
    }
    QMenu *popup() const { return window.PopUpMenuMain(); }
    QMenu *placement() const { return window.findChild<QMenu *>(QStringLiteral("PlacementMenu")); }
    // What the platform sends for the Menu key: a context menu event from the keyboard.
    void menuKey(QWidget *control)
    {
        const QPoint at = control->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &event);
    }
    // The popup opened for a control: its placement entries are for that side's picture.
    bool placementOffered()
    {
        EXPECT_TRUE(popup()->isVisible());
        const bool offered = placement()->isEnabled();
        popup()->close();
        return offered;
    }
};

bool anotherMenuVisible(const QMenu *except)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMenu *>(w) && w != except && w->isVisible())
            return true;
    return false;
}

} // namespace

TEST(KeyboardReach, PictureClearAndInfoCommandsHaveKeysNamedInHintsAndHelp)
{
    Window w;
    const struct {
        QAction *ToolbarCommands::*action;
        const char *key, *caption;
    } keys[] = {{&ToolbarCommands::ImgMain, "Ctrl+I", "Obrázek přední strany"},
                {&ToolbarCommands::ImgBack, "Ctrl+Shift+I", "Obrázek zadní strany"},
                {&ToolbarCommands::ClrTxt, "Ctrl+Shift+Delete", "Vymazat texty"},
                {&ToolbarCommands::Info, "Ctrl+F1", "Informace"}};
    QFile helpFile(QStringLiteral(":/help.html"));
    ASSERT_TRUE(helpFile.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(helpFile.readAll());
    for (const auto &k : keys) {
        QAction *action = w.window.commands().*k.action;
        ASSERT_NE(action, nullptr) << k.key;
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(k.key))) << k.key;
        EXPECT_EQ(action->toolTip(), QStringLiteral("%1 (%2)").arg(QString::fromUtf8(k.caption), QString::fromLatin1(k.key)));
        EXPECT_TRUE(help.contains(QStringLiteral("<tr><td>%1</td><td>%2").arg(QString::fromLatin1(k.key), QString::fromUtf8(k.caption))))
            << k.key << " in the help's table of keys";
    }

    // Pressed in an edit box, where the user types.
    QWidget *men = w.focus("MEN");
    QTest::keyClick(men, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(w.pictureDialogs, 1);
    EXPECT_FALSE(w.window.page().MainImg().picture().isEmpty());
    EXPECT_TRUE(w.window.page().BckImg().picture().isEmpty());
    QTest::keyClick(men, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.pictureDialogs, 2);
    EXPECT_FALSE(w.window.page().BckImg().picture().isEmpty());
    QString caption;
    answerNextQuestion(false, &caption);
    QTest::keyClick(men, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(caption, QStringLiteral("Smazat text ?"));
    bool info = false;
    whenModal<TFrmInfo>([&info](TFrmInfo *d) {
        info = true;
        d->reject();
    });
    w.focus("MEN");
    QTest::keyClick(men, Qt::Key_F1, Qt::ControlModifier);
    EXPECT_TRUE(info);
}

TEST(KeyboardReach, TheMenuKeyAndShiftF10OpenThePopupForTheFocusedItemsSide)
{
    Window w;
    QString error;
    ASSERT_TRUE(w.window.page().MainImg().loadFromFile(kPhoto, &error));

    // The Menu key in the title's box: the page's popup, not the box's own menu, and
    // the front picture's placement.
    QWidget *men = w.focus("MEN");
    w.menuKey(men);
    EXPECT_FALSE(anotherMenuVisible(w.popup())) << "the box's Cut and Paste menu";
    EXPECT_TRUE(w.placementOffered());
    QTest::keyClick(men, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(w.popup()->isVisible());
    w.popup()->close();
    w.window.findChild<QAction *>(QStringLiteral("PlaceFit"))->trigger();
    EXPECT_EQ(w.window.page().MainImg().placement().fit, PicturePlacement::Fit::Fit);

    // A back item: the back picture, which there is none of yet.
    QWidget *beno = w.focus("BEno");
    QTest::keyClick(beno, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(w.placementOffered());
    ASSERT_TRUE(w.window.page().BckImg().loadFromFile(kPhoto, &error));
    // An alignment button of the contents list, and the spine's button: the back too.
    for (const char *control : {"SpeedButton29", "LRBtn"}) {
        QWidget *button = w.focus(control);
        w.menuKey(button);
        EXPECT_TRUE(w.placementOffered()) << control;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    w.popup()->close();
    w.window.findChild<QAction *>(QStringLiteral("PlaceFill"))->trigger();
    EXPECT_EQ(w.window.page().BckImg().placement().fit, PicturePlacement::Fit::Fill);
    EXPECT_EQ(w.window.page().MainImg().placement().fit, PicturePlacement::Fit::Fit) << "the front is left as it was";
}

TEST(KeyboardReach, TheCropIsChosenWithKeysAsOneStep)
{
    Window w;
    QString error;
    ASSERT_TRUE(w.window.page().MainImg().loadFromFile(kPhoto, &error));
    QWidget *men = w.focus("MEN");
    const auto fromMenu = [&](const char *action) {
        w.focus("MEN");
        QTest::keyClick(men, Qt::Key_F10, Qt::ShiftModifier);
        w.popup()->close();
        QAction *a = w.window.findChild<QAction *>(QString::fromLatin1(action));
        EXPECT_TRUE(a->isEnabled()) << action;
        a->trigger();
        w.window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w.window));
    };
    fromMenu("PlaceFill");
    QCoreApplication::processEvents();
    ASSERT_EQ(w.window.page().MainImg().placement().fit, PicturePlacement::Fit::Fill);
    const int steps = w.window.history().stack()->count();
    PageView *page = w.window.QR();

    // The page takes the keys; Escape puts the crop back.
    fromMenu("PlaceByKeys");
    ASSERT_TRUE(page->hasFocus());
    EXPECT_FALSE(w.window.statusBar()->currentMessage().isEmpty()) << "what the keys do";
    QTest::keyClick(page, Qt::Key_Right);
    EXPECT_LT(w.window.page().MainImg().placement().x, 500);
    QTest::keyClick(page, Qt::Key_Escape);
    EXPECT_EQ(w.window.page().MainImg().placement().x, 500);
    EXPECT_TRUE(men->hasFocus()) << "back where the user was";
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.history().stack()->count(), steps);

    // Arrows move it (as a drag: the picture goes right, the crop's centre left), +
    // and - zoom it; Enter keeps it, as one undo step.
    fromMenu("PlaceByKeys");
    QTest::keyClick(page, Qt::Key_Plus);
    QTest::keyClick(page, Qt::Key_Plus);
    QTest::keyClick(page, Qt::Key_Minus);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(page, Qt::Key_Right);
    QTest::keyClick(page, Qt::Key_Down, Qt::ShiftModifier);
    const PicturePlacement chosen = w.window.page().MainImg().placement();
    EXPECT_EQ(chosen.zoom, 1100);
    EXPECT_LT(chosen.x, 500);
    EXPECT_LT(chosen.y, 500);
    QTest::keyClick(page, Qt::Key_Return);
    EXPECT_TRUE(men->hasFocus());
    EXPECT_TRUE(w.window.statusBar()->currentMessage().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.history().stack()->count(), steps + 1);
    EXPECT_EQ(w.window.page().MainImg().placement(), chosen);

    // "Vycentrovat výřez" centres it at the zoom it has, as a double click does.
    fromMenu("PlaceCentre");
    EXPECT_EQ(w.window.page().MainImg().placement().x, 500);
    EXPECT_EQ(w.window.page().MainImg().placement().y, 500);
    EXPECT_EQ(w.window.page().MainImg().placement().zoom, 1100);
    w.window.Undo()->trigger();
    w.window.Undo()->trigger();
    EXPECT_EQ(w.window.page().MainImg().placement().x, 500);
    EXPECT_EQ(w.window.page().MainImg().placement().zoom, 1000) << "the keys' crop was one step";
}

TEST(KeyboardReach, TheSpineWindowsButtonsAndTheEditorsAlignmentsAreReached)
{
    Window w;
    // The spine window: Tab goes through the title, its buttons, the picture and OK.
    w.window.LRBtnClick();
    TFrmNzvCD *spine = w.window.findChildren<TFrmNzvCD *>().last();
    spine->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(spine));
    spine->Edt()->setFocus();
    QStringList visited;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(spine->focusWidget(), Qt::Key_Tab);
        visited << spine->focusWidget()->objectName();
    }
    EXPECT_EQ(visited, (QStringList{"RxSpeedButton1", "RxSpeedButton2", "RxSpeedButton3", "Obr", "RxSpeedButton5", "Roz",
                                    "Vdl", "RxSpeedButton4"}));
    // Enter on " Písmo" opens the title's font.
    bool fontDialog = false;
    whenModal<FontDialog>([&fontDialog](FontDialog *d) {
        fontDialog = true;
        d->reject();
    });
    spine->button(1)->setFocus();
    QTest::keyClick(spine->button(1), Qt::Key_Return);
    EXPECT_TRUE(fontDialog);
    spine->close();

    // The editor: the main window's alignment keys, with the caret in the text.
    w.window.BEoClick();
    auto *editor = w.window.findChild<TFrmEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    editor->Text()->setFocus();
    QTest::keyClicks(editor->Text(), QStringLiteral("Track"));
    QTest::keyClick(editor->Text(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(w.window.page().item(QStringLiteral("BTo")).alignment(), Alignment::Right);
    EXPECT_TRUE(editor->SpeedButton4()->isChecked());
    EXPECT_TRUE(editor->SpeedButton4()->toolTip().contains(QStringLiteral("Ctrl+R")));
    QTest::keyClick(editor->Text(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(w.window.page().item(QStringLiteral("BTo")).alignment(), Alignment::Left);
    EXPECT_EQ(editor->Text()->toPlainText(), QStringLiteral("Track")) << "the keys typed nothing";
}
