// The disc label's sheet in the main window: its tab and keys, the zoom, preview and
// printing of the sheet shown, and the controls beside the label.
#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSet>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "app/LabelEditors.h"
#include "app/PageView.h"
#include "app/PrintSetup.h"
#include "app/TFrmMain.h"
#include "dialogs/TFrmEdit.h"
#include "GuiTestUtil.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/DocumentHistory.h"
#include "project/SheetView.h"
#include "settings/DiscSheetStore.h"

using namespace korvel;

namespace {

const QString kPhoto = QStringLiteral(KORVEL_TEST_DATA "/raster/bmp_24bpp.bmp");

struct Window {
    TFrmMain window;
    Window()
    {
        window.resize(1200, 900);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <typename T = QWidget>
    T *child(const char *name) const
    {
        auto *w = window.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

} // namespace

TEST(DiscWindow, TheCoverComesFirstAndTheKeysGoFromSheetToSheet)
{
    Window w;
    QTabBar *tabs = w.window.sheetTabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Obal"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Disk"));
    EXPECT_FALSE(tabs->accessibleName().isEmpty());
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kCoverSheet);
    EXPECT_TRUE(w.window.scrollArea()->isVisible());
    EXPECT_FALSE(w.window.labelScrollArea()->isVisible());

    // From the typing in a box of the cover, Ctrl+PgDn shows the label.
    QLineEdit *title = w.window.editBox(QStringLiteral("MEN"));
    title->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([title] { return title->hasFocus(); }));
    QTest::keyClick(title, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kLabelSheet);
    EXPECT_EQ(tabs->currentIndex(), TFrmMain::kLabelSheet);
    EXPECT_TRUE(w.window.labelScrollArea()->isVisible());
    EXPECT_FALSE(w.window.scrollArea()->isVisible());
    // The keys go on at the label's first box, and back where they were on the cover.
    QLineEdit *labelTitle = w.window.labelEditors().editBox(disc::kTitle);
    EXPECT_TRUE(w.window.labelEditors().editBox(disc::kArtist)->hasFocus());
    labelTitle->setFocus();
    QTest::keyClick(labelTitle, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kCoverSheet);
    EXPECT_TRUE(title->hasFocus());
    QTest::keyClick(title, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_TRUE(labelTitle->hasFocus());
    // Past the last sheet it goes round.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kCoverSheet);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kLabelSheet);

    // A click on a tab does the same.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(w.window.shownSheet(), TFrmMain::kCoverSheet);
    EXPECT_TRUE(w.window.scrollArea()->isVisible());
}

TEST(DiscWindow, TheZoomIsTheShownSheetsAndItsControlsStandBesideItAt100)
{
    Window w;
    w.window.showSheet(TFrmMain::kLabelSheet);
    SheetView &label = w.window.labelView()->view();
    const QList<QWidget *> &controls = w.window.labelEditors().controls();
    ASSERT_FALSE(controls.isEmpty());
    for (QWidget *c : controls)
        EXPECT_TRUE(c->isVisible()) << c->objectName().toStdString();

    // Beside the label: none covers the ring at 100 %.
    const QRect ring = label.elementPixelRect("DiscImg");
    ASSERT_FALSE(ring.isEmpty());
    for (QWidget *c : controls)
        EXPECT_FALSE(c->geometry().intersects(ring)) << c->objectName().toStdString();

    w.window.ZoomInClick();
    EXPECT_EQ(label.zoom(), 110);
    EXPECT_EQ(w.window.view().zoom(), 100) << "the cover keeps its zoom";
    auto *zoomShown = w.child<QLabel>("ZoomLabel");
    EXPECT_EQ(zoomShown->text(), QStringLiteral("110 %"));
    EXPECT_EQ(w.window.labelView()->size(), label.pixelSize());
    for (QWidget *c : controls)
        EXPECT_FALSE(c->isVisible()) << c->objectName().toStdString();
    EXPECT_FALSE(w.window.editorsVisible());

    // The cover's controls are where they were.
    w.window.showSheet(TFrmMain::kCoverSheet);
    EXPECT_TRUE(w.window.editorsVisible());
    EXPECT_EQ(zoomShown->text(), QStringLiteral("100 %"));
    w.window.ZoomOutClick();
    EXPECT_EQ(w.window.view().zoom(), 90);
    EXPECT_EQ(label.zoom(), 110);
    w.window.ZoomDefClick();

    w.window.showSheet(TFrmMain::kLabelSheet);
    w.window.ZoomDefClick();
    EXPECT_EQ(label.zoom(), 100);
    for (QWidget *c : controls)
        EXPECT_TRUE(c->isVisible()) << c->objectName().toStdString();
}

TEST(DiscWindow, EveryControlOfTheLabelIsNamedAndReachedByTab)
{
    Window w;
    w.window.showSheet(TFrmMain::kLabelSheet);
    QSet<QWidget *> reachable;
    for (QWidget *c : w.window.labelEditors().controls()) {
        if (qobject_cast<QLabel *>(c))
            continue; // a caption: its field is named
        EXPECT_FALSE(c->objectName().isEmpty());
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
        // Of the two picture choices Tab reaches the one chosen, the arrows the other.
        if (c->focusPolicy() & Qt::TabFocus && c->objectName() != QStringLiteral("DiscPictureOwn"))
            reachable << c;
        for (QAbstractButton *b : c->findChildren<QAbstractButton *>()) {
            EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();
            reachable << b;
        }
    }
    EXPECT_GE(reachable.size(), 25);
    // Each by a name of its own: the label's "Nadpis" is not the cover's.
    QStringList names;
    for (QWidget *c : reachable)
        names << c->accessibleName();
    for (QLineEdit *box : w.window.findChildren<QLineEdit *>())
        if (!w.window.labelScrollArea()->isAncestorOf(box) && !box->accessibleName().isEmpty())
            names << box->accessibleName();
    const qsizetype all = names.size();
    names.removeDuplicates();
    EXPECT_EQ(names.size(), all) << names.join(QStringLiteral(", ")).toStdString();

    // Tab from the first box goes through every one of them (the disabled ones once
    // they are enabled: a sheet of two labels enables the centres).
    CoverDocument &document = w.window.document();
    DiscGeometry two = document.disc().geometry;
    two.label = DiscGeometry::Label::Own;
    two.sheet = DiscGeometry::Sheet::A4Two;
    document.setDiscGeometry(two);
    QCoreApplication::processEvents();
    QWidget *first = w.window.labelEditors().editBox(disc::kArtist);
    first->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([first] { return first->hasFocus(); }));
    QSet<QWidget *> visited{first};
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        // A spin box's caret is in its line edit.
        if (focus && focus->parentWidget() && qobject_cast<QAbstractSpinBox *>(focus->parentWidget()))
            focus = focus->parentWidget();
        visited << focus;
    }
    for (QWidget *c : reachable)
        if (c->isEnabled())
            EXPECT_TRUE(visited.contains(c)) << c->objectName().toStdString();
    auto *front = w.child<QAbstractButton>("DiscPictureFront");
    front->setFocus();
    QTest::keyClick(front, Qt::Key_Down);
    EXPECT_TRUE(w.child<QAbstractButton>("DiscPictureOwn")->hasFocus());
}

TEST(DiscWindow, TheSheetIsChosenBesideTheLabelUndoneAndPrintedOnItsPaper)
{
    Window w;
    w.window.showSheet(TFrmMain::kLabelSheet);
    CoverDocument &document = w.window.document();
    auto *sheet = w.child<QComboBox>("DiscSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(document.disc().geometry.sheet, DiscGeometry::Sheet::A4);
    const int steps = document.undoStack()->count();

    // With the keys: one down is the sheet of two labels, with the preset centres.
    sheet->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->hasFocus(); }));
    QTest::keyClick(sheet, Qt::Key_Down);
    QCoreApplication::processEvents(); // each change is a step once the event is over
    EXPECT_EQ(document.disc().geometry.sheet, DiscGeometry::Sheet::A4Two);
    EXPECT_EQ(w.child<QDoubleSpinBox>("DiscCentreX")->value(), 105.0);
    EXPECT_EQ(w.child<QDoubleSpinBox>("DiscCentreY1")->value(), 79.9);
    EXPECT_EQ(w.child<QDoubleSpinBox>("DiscCentreY2")->value(), 203.3);
    EXPECT_TRUE(w.child<QDoubleSpinBox>("DiscCentreY2")->isEnabled());
    // A centre the user types moves the second label.
    auto *second = w.child<QDoubleSpinBox>("DiscCentreY2");
    second->setFocus();
    second->selectAll();
    QTest::keyClicks(second, QStringLiteral("210"));
    QTest::keyClick(second, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(document.disc().geometry.twoSecondY, 2100);

    // The printable disc: the label alone on a page of 120 x 120 mm.
    sheet->setFocus();
    QTest::keyClick(sheet, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(document.disc().geometry.sheet, DiscGeometry::Sheet::Disc);
    EXPECT_EQ(w.window.labelView()->size(), QSize(454, 454));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.undoStack()->count(), steps + 3);

    // Printing prints the sheet shown, on its paper.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("disc.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        PrintSetup::prepare(printer, QStringLiteral("Korvel"), document.label().layout());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ASSERT_TRUE(w.window.printOn(printer));
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).match(QString::fromLatin1(file.readAll()));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 120 / 25.4 * 72, 0.5);
    EXPECT_NEAR(box.captured(2).toDouble(), 120 / 25.4 * 72, 0.5);

    // Each choice is its own step back.
    w.window.Undo()->trigger();
    EXPECT_EQ(document.disc().geometry.sheet, DiscGeometry::Sheet::A4Two);
    EXPECT_EQ(sheet->currentIndex(), 1);
    w.window.Undo()->trigger();
    w.window.Undo()->trigger();
    EXPECT_EQ(document.disc().geometry, DiscGeometry());
    EXPECT_EQ(sheet->currentIndex(), 0);
    EXPECT_EQ(w.window.labelView()->size(), QSize(794, 1123));
}

TEST(DiscWindow, TheLabelsTextsAndPictureAreEditedBesideItAndUndone)
{
    Window w;
    CoverDocument &document = w.window.document();
    CoverPage &label = document.label();
    w.window.editBox(QStringLiteral("MEN"))->setText(QString()); // no sample in the way
    QTest::keyClicks(w.window.editBox(QStringLiteral("MEN")), QStringLiteral("Podzim"));
    w.window.showSheet(TFrmMain::kLabelSheet);
    QLineEdit *title = w.window.labelEditors().editBox(disc::kTitle);
    EXPECT_EQ(title->text(), QStringLiteral("Podzim")) << "the cover's title, followed";
    auto *follows = w.child<QAbstractButton>("DiscFollows2");
    EXPECT_TRUE(follows->isChecked());

    // Typed: the label's own, one step back to following the cover.
    document.history().recordNow();
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Live"));
    QCoreApplication::processEvents();
    EXPECT_EQ(label.items()[disc::kTitle].text(), QStringLiteral("Live"));
    EXPECT_FALSE(follows->isChecked());
    w.window.Undo()->trigger();
    EXPECT_EQ(label.items()[disc::kTitle].text(), QStringLiteral("Podzim"));
    EXPECT_TRUE(follows->isChecked());
    EXPECT_EQ(title->text(), QStringLiteral("Podzim"));

    // Ctrl+R on its box aligns the label's title, not the cover's.
    const Alignment coverTitle = w.window.page().item(QStringLiteral("MTN")).alignment();
    title->setFocus();
    QTest::keyClick(title, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(label.items()[disc::kTitle].alignment(), Alignment::Right);
    EXPECT_EQ(w.window.page().item(QStringLiteral("MTN")).alignment(), coverTitle);

    // The lower text in the multi-line editor.
    w.child<QAbstractButton>("DEdt")->click();
    TFrmEdit *editor = w.window.listEditor(TFrmEdit::kTargetLabel);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    editor->Text()->setPlainText(QStringLiteral("1. Úvod\n2. Konec"));
    EXPECT_EQ(label.items()[disc::kLowerText].lines(), (QStringList{QStringLiteral("1. Úvod"), QStringLiteral("2. Konec")}));
    editor->close();

    // A picture dropped on the ring is the label's own; the cover keeps its front.
    const QRect ring = w.window.labelView()->view().elementPixelRect("DiscImg");
    const QPoint onRing = w.window.labelView()->mapTo(&w.window, ring.center() - QPoint(0, ring.height() / 3));
    document.history().recordNow();
    ASSERT_TRUE(w.window.dropFile(kPhoto, onRing));
    QCoreApplication::processEvents();
    EXPECT_TRUE(document.disc().ownPicture);
    EXPECT_FALSE(label.picture(label.layout().withRole(Role::LabelPicture)).picture().isEmpty());
    EXPECT_TRUE(w.window.page().MainImg().picture().isEmpty());
    EXPECT_TRUE(w.child<QAbstractButton>("DiscPictureOwn")->isChecked());

    // The popup menu offers the label's picture to take away, not the cover's.
    QMenu *menu = w.window.PopUpMenuMain();
    emit menu->aboutToShow();
    EXPECT_TRUE(w.window.findChild<QAction *>(QStringLiteral("RemoveDiscImg"))->isVisible());
    EXPECT_TRUE(w.window.findChild<QAction *>(QStringLiteral("RemoveDiscImg"))->isEnabled());
    EXPECT_FALSE(w.window.findChild<QAction *>(QStringLiteral("RemoveMainImg"))->isVisible());
    emit menu->aboutToHide();

    w.window.Undo()->trigger();
    EXPECT_FALSE(document.disc().ownPicture);
    EXPECT_TRUE(w.child<QAbstractButton>("DiscPictureFront")->isChecked());
}

TEST(DiscWindow, TheUsersOwnSheetsAndCutCirclesAreTheUsersInEveryProject)
{
    // A sheet measured by the user, saved under a name of theirs.
    {
        Window w;
        w.window.showSheet(TFrmMain::kLabelSheet);
        CoverDocument &document = w.window.document();
        DiscGeometry g = document.disc().geometry;
        g.label = DiscGeometry::Label::Own;
        g.ownOuter = 1160;
        g.ownHole = 400;
        g.sheet = DiscGeometry::Sheet::A4Two;
        g.twoFirstY = 810;
        document.setDiscGeometry(g);
        test::whenModal<QInputDialog>([](QInputDialog *d) {
            d->setTextValue(QStringLiteral("Papírna 42"));
            d->accept();
        });
        w.child<QAbstractButton>("DiscSaveSheet")->click();
        ASSERT_EQ(DiscSheetStore::sheets().size(), 1);
        EXPECT_EQ(DiscSheetStore::sheets().first(), (OwnDiscSheet{QStringLiteral("Papírna 42"), 1160, 400, 1050, 810, 2033}));
        EXPECT_EQ(w.child<QComboBox>("DiscSheet")->currentText(), QStringLiteral("Vlastní arch „Papírna 42“"));

        // The cut circles: the user's choice, shown on the label as they print.
        auto *circles = w.child<QAbstractButton>("DiscCutCircles");
        EXPECT_FALSE(circles->isChecked());
        circles->click();
        EXPECT_TRUE(DiscSheetStore::cutCircles());
        EXPECT_TRUE(w.window.labelView()->view().cutCircles());
        EXPECT_FALSE(document.isModified() && document.disc().geometry != g) << "not the project's";
    }
    // Another window, a new project: the sheet is offered, and chosen sets the label.
    Window w;
    w.window.showSheet(TFrmMain::kLabelSheet);
    EXPECT_TRUE(w.child<QAbstractButton>("DiscCutCircles")->isChecked());
    EXPECT_TRUE(w.window.labelView()->view().cutCircles());
    auto *sheet = w.child<QComboBox>("DiscSheet");
    ASSERT_EQ(sheet->count(), 4);
    EXPECT_EQ(w.window.document().disc().geometry, DiscGeometry());
    sheet->setFocus();
    QTest::keyClick(sheet, Qt::Key_End);
    const DiscGeometry &g = w.window.document().disc().geometry;
    EXPECT_EQ(g.sheet, DiscGeometry::Sheet::A4Two);
    EXPECT_EQ(g.outer(), 1160);
    EXPECT_EQ(g.hole(), 400);
    EXPECT_EQ(g.twoFirstY, 810);

    // Put back for the tests that follow in this run.
    EXPECT_TRUE(DiscSheetStore::setCutCircles(false, nullptr));
    EXPECT_TRUE(DiscSheetStore::removeSheet(QStringLiteral("Papírna 42"), nullptr));
}

TEST(DiscWindow, TheStatusLineWarnsOfWhatWillNotPrintOnTheLabel)
{
    Window w;
    CoverDocument &document = w.window.document();
    CoverPage &label = document.label();
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("Skladba %1").arg(i);
    label.items()[disc::kLowerText].setLines(lines);
    QCoreApplication::processEvents();
    const int hidden = label.hiddenLines(disc::kLowerText);
    ASSERT_GT(hidden, 0);
    const QString warnings = w.child<QLabel>("PrintWarnings")->text();
    EXPECT_TRUE(warnings.contains(QStringLiteral("Dolní text (disk): %1 řádk").arg(hidden))) << warnings.toStdString();

    // A small picture of its own stretched over the ring prints coarse.
    document.loadLabelPicture(kPhoto);
    QCoreApplication::processEvents();
    const double dpi = label.pictureDpi("DiscImg");
    ASSERT_GT(dpi, 0);
    ASSERT_LT(dpi, CoverPage::kMinimumPrintDpi);
    EXPECT_TRUE(w.child<QLabel>("PrintWarnings")->text().contains(QStringLiteral("Obrázek disku má na papíře jen %1 dpi").arg(qRound(dpi))))
        << w.child<QLabel>("PrintWarnings")->text().toStdString();
}

TEST(DiscWindow, TheLabelsCropIsChosenWithKeysFromItsControls)
{
    Window w;
    CoverDocument &document = w.window.document();
    CoverPage &label = document.label();
    PictureElement &picture = label.picture(label.layout().withRole(Role::LabelPicture));
    document.loadLabelPicture(kPhoto);
    ASSERT_EQ(picture.placement().fit, PicturePlacement::Fit::Fill);
    w.window.showSheet(TFrmMain::kLabelSheet);
    document.history().recordNow();
    const int steps = document.undoStack()->count();
    const PicturePlacement before = picture.placement();

    // Shift+F10 on a control of the label offers the label's picture.
    QLineEdit *title = w.window.labelEditors().editBox(disc::kTitle);
    title->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([title] { return title->hasFocus(); }));
    QTest::keyClick(title, Qt::Key_F10, Qt::ShiftModifier);
    w.window.PopUpMenuMain()->close();
    QAction *byKeys = w.window.findChild<QAction *>(QStringLiteral("PlaceByKeys"));
    ASSERT_TRUE(byKeys->isEnabled());
    byKeys->trigger();
    PageView *sheet = w.window.labelView();
    ASSERT_TRUE(sheet->hasFocus()) << "the label's sheet takes the keys";
    QTest::keyClick(sheet, Qt::Key_Plus);
    QTest::keyClick(sheet, Qt::Key_Right);
    QTest::keyClick(sheet, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_GT(picture.placement().zoom, before.zoom);
    EXPECT_LT(picture.placement().x, before.x);
    EXPECT_EQ(w.window.page().MainImg().placement(), PicturePlacement{}) << "not the cover's";
    EXPECT_EQ(document.undoStack()->count(), steps + 1);
    w.window.Undo()->trigger();
    EXPECT_EQ(picture.placement(), before);
}
