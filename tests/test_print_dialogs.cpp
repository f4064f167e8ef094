// The preview and the print dialog keep the cover one A4 portrait page, a page
// printed from the preview takes the print command's way, and a PDF printed from the
// print dialog is the one korvel-print writes.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

#include "PdfImageStreams.h"
#include "ProjectTestUtil.h"
#include "app/PrintSetup.h"
#include "app/TFrmMain.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "project/CoverPage.h"

using namespace korvel;
using namespace korvel::test;

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

TEST(PrintDialogs, APdfPrintedToAFileIsTheOneKorvelPrintWrites)
{
    // A cover with photos on the front and on the spine, a PNG on the back and text.
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("album.kvp"));
    {
        CoverDocument document(dir.path());
        document.start(QString());
        document.page().MainImg().setPicture(loadPicture(testData("raster/jpeg_baseline_420.jpg")));
        document.page().BckImg().setPicture(loadPicture(testData("raster/png_rgba_qt.png")));
        document.spine().choosePicture(testData("raster/jpeg_progressive.jpg"));
        document.setText(2, QStringLiteral("Žluťoučký kůň"));
        document.save(project, true);
    }
    const QString byCommand = dir.filePath(QStringLiteral("command.pdf"));
    QProcess print;
    print.start(QStringLiteral(KORVEL_PRINT_EXE), {project, byCommand});
    ASSERT_TRUE(print.waitForFinished(120000));
    ASSERT_EQ(print.exitCode(), 0) << print.readAllStandardError().toStdString();

    // The same project opened in the window and printed to a file as the print dialog
    // sets the printer up.
    TFrmMain window;
    ASSERT_TRUE(window.document().open(project).isEmpty());
    const QString byDialog = dir.filePath(QStringLiteral("dialog.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    PrintSetup::prepare(printer, QStringLiteral("album"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(byDialog);
    ASSERT_TRUE(window.printOn(printer));

    const QByteArrayList pages = pdfPageContents(byDialog);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages == pdfPageContents(byCommand)) << "the page draws the same";
    QByteArrayList images = pdfImageStreams(byDialog), expected = pdfImageStreams(byCommand);
    std::sort(images.begin(), images.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(images == expected) << "the same image streams";
    for (const char *photo : {"raster/jpeg_baseline_420.jpg", "raster/jpeg_progressive.jpg"})
        EXPECT_EQ(images.count(readBytes(testData(photo))), 1) << photo << " goes in once, as its file";
}
