// The main window driven as a user would: toolbar, popup menu, zoom and preview.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QFile>
#include <QFontInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "project/SheetRenderer.h"
#include "project/SheetView.h"

#include "GuiTestUtil.h"
#include "app/PageView.h"
#include "app/TFrmMain.h"
#include "project/CoverPage.h"

using namespace korvel;

namespace {

QStringList actionNames(const QList<QAction *> &actions)
{
    QStringList names;
    for (QAction *a : actions)
        if (!a->isSeparator() && !a->objectName().isEmpty())
            names << a->objectName();
    return names;
}

} // namespace

TEST(MainWindow, ToolbarHasItsThirteenCommandsInOrder)
{
    TFrmMain window;
    ASSERT_EQ(window.Bar()->objectName(), QStringLiteral("Bar"));
    const QStringList expected{"FNew", "FOpen", "Fsave", "SaveAs", "ImgMain", "ImgBack", "ClrTxt",
                               "ZoomIn", "ZoomOut", "ZoomDef", "View", "Tisk", "Info"};
    EXPECT_EQ(actionNames(window.Bar()->actions()), expected);
    const QStringList captions{"Nový", "Otevřít", "Uložit", "Uložit Jako", "Obrázek přední strany",
                               "Obrázek zadní strany", "Vymazat texty", "Zvětšit", "Zmenšit",
                               "Standartní velikost", "Náhled", "Tisk", "Informace"};
    for (int i = 0; i < expected.size(); ++i) {
        QAction *a = window.findChild<QAction *>(expected[i]);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), captions[i]);
        // The hint is the caption, naming the shortcut where there is one.
        const QString hint = a->shortcut().isEmpty()
                                 ? captions[i]
                                 : QStringLiteral("%1 (%2)").arg(captions[i], a->shortcut().toString(QKeySequence::NativeText));
        EXPECT_EQ(a->toolTip(), hint);
        EXPECT_FALSE(a->icon().isNull());
    }
    EXPECT_FALSE(window.commands().Fsave->isEnabled()) << "nothing to save at start";
    EXPECT_EQ(window.commands().Fsave, window.findChild<QAction *>(QStringLiteral("Fsave")));
    EXPECT_EQ(window.commands().Info, window.Bar()->actions().last());
    EXPECT_EQ(window.Bar()->height(), 29);

    // Buttons of 24 x 23 pixels, 3 pixels from the toolbar's edge, in groups.
    window.show();
    const int lefts[] = {3, 27, 51, 75, 107, 131, 163, 195, 219, 243, 275, 299, 331};
    for (int i = 0; i < expected.size(); ++i) {
        const QWidget *button = window.Bar()->widgetForAction(window.findChild<QAction *>(expected[i]));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), QRect(lefts[i], 3, 24, 23)) << expected[i].toStdString();
    }

    // They stand on the background picture, light at the top and shaded below,
    // along the whole bar.
    window.resize(800, 400);
    const QImage bar = window.Bar()->grab().toImage();
    for (const int x : {360, bar.width() - 3}) {
        const QColor top(bar.pixel(x, 1)), bottom(bar.pixel(x, 26));
        EXPECT_GT(top.lightness(), 240) << x;
        EXPECT_LT(bottom.lightness(), top.lightness() - 15) << x;
        EXPECT_GT(bottom.blue(), bottom.red()) << x;
    }
}

TEST(MainWindow, PopupMenuOffersZoomAndPreview)
{
    TFrmMain window;
    QMenu *menu = window.PopUpMenuMain();
    ASSERT_EQ(menu->objectName(), QStringLiteral("PopUpMenuMain"));
    // The zoom and preview entries come first; the calibration, the export for a print
    // shop, undo and redo, the recent projects, reading tracks, taking pictures away
    // (the disc label's while the label is shown) and help follow them.
    const QList<QAction *> actions = menu->actions();
    QStringList entries; // a separator as "-", a submenu by the menu's name
    for (QAction *a : actions)
        entries << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
    const QStringList expected{"Zvtit1", "Zmenit1", "N1001", "-", "Nhled1", "Kalibrace1", "ExportPieces", "-",
                               "Undo", "Redo", "-", "RecentMenu", "ReadTracks", "-",
                               "PlacementMenu", "RemoveMainImg", "RemoveBckImg", "RemoveDiscImg", "-", "Help"};
    EXPECT_EQ(entries, expected);
    // Every entry read below is there.
    ASSERT_EQ(actions.size(), 20);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Zvětšit"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Zmenšit"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("100%"));
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("Náhled"));
    EXPECT_EQ(actions[4]->objectName(), QStringLiteral("Nhled1"));
    EXPECT_EQ(actions[5]->text(), QStringLiteral("Kalibrace tiskárny"));
    EXPECT_EQ(actions[6]->text(), QStringLiteral("Exportovat pro tiskárnu…"));

    actions[0]->trigger();
    EXPECT_EQ(window.view().zoom(), 110);
    actions[1]->trigger();
    EXPECT_EQ(window.view().zoom(), 100);
    actions[0]->trigger();
    actions[0]->trigger();
    actions[2]->trigger();
    EXPECT_EQ(window.view().zoom(), 100);

    // A right click on the page opens the menu.
    window.show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100), window.QR()->mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(window.QR(), &event);
    EXPECT_TRUE(menu->isVisible());
    menu->close();
}

TEST(MainWindow, ZoomRulesKeepEditorsVisibleExactlyAtHundred)
{
    TFrmMain window;
    QWidget *edit = window.editBox(QStringLiteral("MEht"));
    auto *panel = window.findChild<QWidget *>(QStringLiteral("Panel12"));
    ASSERT_TRUE(edit && panel);
    window.show();

    window.ZoomInClick();
    EXPECT_EQ(window.view().zoom(), 110);
    EXPECT_FALSE(window.editorsVisible());
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(window.view().captionsVisible());
    window.ZoomOutClick();
    EXPECT_EQ(window.view().zoom(), 100);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(window.view().captionsVisible());

    for (int i = 0; i < 40; ++i)
        window.ZoomInClick();
    EXPECT_EQ(window.view().zoom(), 300);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(window.QR()->size(), QSize(2381, 3368));

    for (int i = 0; i < 40; ++i) {
        window.ZoomOutClick();
        EXPECT_EQ(window.editorsVisible(), window.view().zoom() == 100);
    }
    EXPECT_EQ(window.view().zoom(), 10);
    EXPECT_FALSE(edit->isVisible());

    // From 90 zoom in reaches 100 and shows the controls again.
    window.ZoomDefClick();
    window.ZoomOutClick();
    ASSERT_EQ(window.view().zoom(), 90);
    window.ZoomInClick();
    EXPECT_EQ(window.view().zoom(), 100);
    EXPECT_TRUE(edit->isVisible());

    window.ZoomInClick();
    window.ZoomInClick();
    window.ZoomDefClick();
    EXPECT_EQ(window.view().zoom(), 100);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(window.QR()->size(), QSize(794, 1123));
}

TEST(MainWindow, PageSitsAtTheLeftUnderTheToolbarAndScrolls)
{
    TFrmMain window;
    window.resize(600, 500);
    window.show();
    QApplication::processEvents();
    const QPoint pageTopLeft = window.QR()->mapTo(&window, QPoint(0, 0));
    EXPECT_EQ(pageTopLeft.x(), 0);
    EXPECT_EQ(pageTopLeft.y(), 29);
    EXPECT_EQ(window.QR()->objectName(), QStringLiteral("QR"));
    EXPECT_TRUE(window.scrollArea()->verticalScrollBar()->isVisible());
    EXPECT_TRUE(window.scrollArea()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(window.scrollArea()->verticalScrollBar()->hasTracking());
}

TEST(MainWindow, AnEditRepaintsThePageView)
{
    TFrmMain window;
    window.show();
    QApplication::processEvents();
    const QRect box(64, 201, 433, 79);
    auto dark = [&] {
        const QImage image = window.QR()->grab(box).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += qGray(image.pixel(x, y)) < 128;
        return n;
    };
    const int before = dark();
    EXPECT_GT(before, 100);
    window.page().item(QStringLiteral("MTN")).setText(QString());
    QApplication::processEvents();
    EXPECT_EQ(dark(), 28) << "only the four corner brackets remain";
}

TEST(MainWindow, PreviewIsNotStartedTwice)
{
    TFrmMain window;
    window.show();
    int previews = 0;
    bool secondReturnedAtOnce = false;
    QTimer::singleShot(200, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(w); dialog && dialog->isVisible()) {
                ++previews;
                EXPECT_TRUE(window.isPreparingPrint());
                window.ViewClick(); // ignored while the first is open
                secondReturnedAtOnce = true;
                dialog->reject();
            }
    });
    window.ViewClick();
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(secondReturnedAtOnce);
    EXPECT_FALSE(window.isPreparingPrint());
    EXPECT_EQ(window.view().zoom(), 100);
    EXPECT_FALSE(window.commands().Fsave->isEnabled()) << "preview changes nothing";
}

TEST(MainWindow, PlacementIsRememberedPerUser)
{
    QSettings().remove(QStringLiteral("Placement"));
    {
        TFrmMain window;
        window.showNormal();
        window.setGeometry(40, 60, 640, 480);
        QApplication::processEvents();
        window.close();
    }
    TFrmMain again;
    EXPECT_EQ(again.size(), QSize(640, 480));
}

TEST(MainWindow, PrintingShowsProgressAndWritesOnePage)
{
    TFrmMain window;
    window.show();
    // Printed to a PDF file, a JPEG photo goes in as its own file.
    QFile photo(QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_444.jpg"));
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    const QByteArray photoBytes = photo.readAll();
    QString loadError;
    ASSERT_TRUE(window.page().MainImg().loadFromFile(photo.fileName(), &loadError));
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    bool progressSeen = false;
    QTimer::singleShot(0, [&] {
        if (auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("PrintProgress")))
            progressSeen = progress->windowTitle() == QStringLiteral("Printing progress");
    });
    ASSERT_TRUE(window.printOn(printer));
    EXPECT_TRUE(progressSeen);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(bytes.contains(photoBytes)) << "the photo's own bytes";

    // A file that cannot be written is said so, and nothing else changes.
    printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/printed.pdf")));
    QString error;
    korvel::test::whenModal<QMessageBox>([&](QMessageBox *box) {
        error = box->text();
        box->accept();
    });
    EXPECT_FALSE(window.printOn(printer));
    EXPECT_TRUE(error.contains(QStringLiteral("printed.pdf"))) << error.toStdString();
}

TEST(Fonts, CoverTypefacesResolveToMetricCompatibleFaces)
{
    for (const char *name : {"Arial", "Arial CE", "MS Sans Serif"}) {
        QFont font(QString::fromLatin1(name));
        font.setPixelSize(13);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans")) << name;
    }
}
