// The preview and the print dialog keep the cover one A4 portrait page, and a page
// printed from the preview takes the print command's way.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/TFrmMain.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "project/CoverPage.h"

using namespace korvel;

namespace {

template <typename T>
T *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<T *>(w); d && d->isVisible())
            return d;
    return nullptr;
}

} // namespace

TEST(PrintDialogs, PreviewOffersNoLandscapeAndPrintsThroughThePrintCommand)
{
    TFrmMain window;
    window.show();
    bool previewSeen = false, printDialogSeen = false;
    QString proposed, calibrationTab;
    int attempts = 0;
    std::function<void()> poll;
    poll = [&] {
        if (++attempts > 400)
            return;
        if (auto *dialog = openDialog<CoverPrintDialog>()) {
            printDialogSeen = true;
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("filename")))
                proposed = name->text();
            if (QWidget *tab = dialog->findChild<QWidget *>(QStringLiteral("CalibrationTab")))
                calibrationTab = tab->windowTitle();
            dialog->reject();
            return;
        }
        if (auto *preview = openDialog<CoverPreviewDialog>(); preview && !previewSeen) {
            previewSeen = true;
            auto caption = [](const char *text) { return QCoreApplication::translate("QPrintPreviewDialog", text); };
            QAction *print = nullptr;
            for (QAction *action : preview->findChildren<QAction *>()) {
                if (action->text() == caption("Landscape") || action->text() == caption("Page setup")) {
                    EXPECT_FALSE(action->isVisible() || action->isEnabled()) << action->text().toStdString();
                }
                if (action->text() == caption("Print"))
                    print = action;
            }
            EXPECT_NE(print, nullptr);
            if (print)
                print->trigger();
            else
                preview->reject();
        }
        QTimer::singleShot(50, poll);
    };
    QTimer::singleShot(50, poll);
    window.ViewClick();
    EXPECT_TRUE(previewSeen);
    EXPECT_TRUE(printDialogSeen) << "Print in the preview opens the program's print dialog";
    // No project yet: the PDF is offered in the current folder, not a fixed name at home.
    EXPECT_EQ(proposed, QDir::current().absoluteFilePath(QStringLiteral("obal.pdf")));
    EXPECT_EQ(calibrationTab, QStringLiteral("Kalibrace"));
    EXPECT_FALSE(window.isPreparingPrint());
}
