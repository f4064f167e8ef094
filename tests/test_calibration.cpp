// Printer calibration: stored per printer and per user, applied to the paper only,
// the window that edits it, the calibration page, korvel-print's --offset and
// --scale, and the print set-up around the print dialog.
#include <QComboBox>
#include <QDir>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "PageTestUtil.h"
#include "app/PrintSetup.h"
#include "dialogs/TFrmCalibration.h"
#include "project/CalibrationPage.h"

using namespace korvel;
using namespace korvel::test;

namespace {

int firstDarkColumn(const QImage &image, int y, int from = 0)
{
    for (int x = from; x < image.width(); ++x)
        if (isDark(image.pixel(x, y)))
            return x;
    return -1;
}

int firstDarkRow(const QImage &image, int x, int from = 0)
{
    for (int y = from; y < image.height(); ++y)
        if (isDark(image.pixel(x, y)))
            return y;
    return -1;
}

int runPrint(const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KORVEL_PRINT_EXE), args);
    p.waitForFinished(60000);
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(Calibration, IsKeptPerPrinterAndPerUser)
{
    const PrinterCalibration office{12, -7, 995, 1004};
    ASSERT_TRUE(PrinterCalibrationStore::save(QStringLiteral("Kancelář/2"), office, nullptr));
    EXPECT_EQ(PrinterCalibrationStore::load(QStringLiteral("Kancelář/2")), office);
    EXPECT_TRUE(PrinterCalibrationStore::load(QStringLiteral("Kancelář")).isIdentity());
    EXPECT_TRUE(PrinterCalibrationStore::storePath().startsWith(QDir::homePath())) << "the tests' own home";
    // Back to the identity forgets the printer.
    ASSERT_TRUE(PrinterCalibrationStore::save(QStringLiteral("Kancelář/2"), PrinterCalibration(), nullptr));
    EXPECT_TRUE(PrinterCalibrationStore::load(QStringLiteral("Kancelář/2")).isIdentity());
}

TEST(Calibration, MovesThePrintedPageButNeverTheFileOrTheScreen)
{
    CoverPage page;
    emptyAllTexts(page);
    const PrinterCalibration calibration{50, 30, 1000, 1000}; // 5 mm right, 3 mm down
    QImage moved(794, 1123, QImage::Format_RGB32);
    moved.fill(Qt::white);
    {
        QPainter p(&moved);
        page.paintOnPaper(p, 96, 96, calibration);
    }
    const QImage plain = renderPaper(page, 96);
    const int shiftX = qRound(50 * 96 / 254.0), shiftY = qRound(30 * 96 / 254.0);
    EXPECT_EQ(firstDarkColumn(moved, 300), firstDarkColumn(plain, 300) + shiftX);
    EXPECT_EQ(firstDarkRow(moved, 300), firstDarkRow(plain, 300) + shiftY);

    // A printer printing to a file is no printer: its output is not calibrated.
    ASSERT_TRUE(PrinterCalibrationStore::save(QStringLiteral("Tiskárna"), calibration, nullptr));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_TRUE(PrintSetup::calibrationFor(printer).isIdentity());
}

TEST(Calibration, KorvelPrintOffsetAndScaleMoveThePage)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.png")), moved = dir.filePath(QStringLiteral("moved.png"));
    ASSERT_EQ(runPrint({plain}), 0);
    ASSERT_EQ(runPrint({QStringLiteral("--offset"), QStringLiteral("100,-50"), QStringLiteral("--scale"),
                        QStringLiteral("1000,1000"), moved}),
              0);
    const QImage a = QImage(plain).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(moved).convertToFormat(QImage::Format_RGB32);
    // The front outline: 10 mm (38 px) further right, 5 mm (19 px) higher.
    EXPECT_EQ(firstDarkColumn(b, 300), firstDarkColumn(a, 300) + 38);
    EXPECT_EQ(firstDarkRow(b, 300, 40), firstDarkRow(a, 300, 40) - 19);

    // Stretched by 1 % across: the right spine's outer edge (1637.8 tenths) moves 16.4 tenths.
    ASSERT_EQ(runPrint({QStringLiteral("--scale"), QStringLiteral("1010,1000"), moved}), 0);
    const QImage c = QImage(moved).convertToFormat(QImage::Format_RGB32);
    auto lastDark = [](const QImage &image, int y) {
        for (int x = image.width() - 1; x >= 0; --x)
            if (isDark(image.pixel(x, y)))
                return x;
        return -1;
    };
    EXPECT_EQ(lastDark(c, 800), lastDark(a, 800) + 6);

    QString out;
    for (const QStringList &bad : {QStringList{QStringLiteral("--offset"), QStringLiteral("501,0")},
                                   QStringList{QStringLiteral("--offset"), QStringLiteral("1")},
                                   QStringList{QStringLiteral("--scale"), QStringLiteral("799,1000")},
                                   QStringList{QStringLiteral("--scale"), QStringLiteral("a,b")}}) {
        EXPECT_EQ(runPrint(bad + QStringList{moved}, &out), 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(out.contains(bad.first())) << out.toStdString();
    }
}

TEST(Calibration, ThePageHasItsCrossesWhereItSaysTheyAre)
{
    // 254 dpi: one pixel is a tenth of a millimetre.
    QImage image(2100, 2970, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        CalibrationPage::paint(p, 254, QStringLiteral("Tiskárna"), PrinterCalibration());
    }
    for (const CalibrationPage::Cross &cross : CalibrationPage::kCrosses) {
        const QPoint at = cross.at.toPoint();
        // The vertical stroke crosses the row 5 mm above the centre at the centre's column.
        EXPECT_TRUE(isDark(image.pixel(at.x(), at.y() - 50)) || isDark(image.pixel(at.x() - 1, at.y() - 50)))
            << cross.name;
        EXPECT_TRUE(isDark(image.pixel(at.x() + 50, at.y())) || isDark(image.pixel(at.x() + 50, at.y() - 1)))
            << cross.name;
        EXPECT_FALSE(isDark(image.pixel(at.x() + 15, at.y() + 15))) << cross.name;
    }
    // The instruction is there.
    EXPECT_GT(darkPixels(image, QRect(450, 700, 1200, 700)), 5000);
}

TEST(Calibration, TheWindowKeepsEditsPerPrinterUntilSaved)
{
    TFrmCalibration window(QStringLiteral("A"));
    // No printer is installed for the tests: the named ones are offered anyway.
    window.printerBox()->addItem(QStringLiteral("B"));
    ASSERT_EQ(window.printerName(), QStringLiteral("A"));
    window.findChild<QSpinBox *>(QStringLiteral("OffsetX"))->setValue(15);
    window.setPrinterName(QStringLiteral("B"));
    EXPECT_EQ(window.calibration(), PrinterCalibration());
    window.findChild<QSpinBox *>(QStringLiteral("ScaleY"))->setValue(990);
    window.setPrinterName(QStringLiteral("A"));
    EXPECT_EQ(window.calibration().offsetX, 15) << "what was typed for A is still there";
    EXPECT_TRUE(PrinterCalibrationStore::load(QStringLiteral("A")).isIdentity()) << "nothing stored before Uložit";
    window.accept();
    EXPECT_EQ(PrinterCalibrationStore::load(QStringLiteral("A")).offsetX, 15);
    EXPECT_EQ(PrinterCalibrationStore::load(QStringLiteral("B")).scaleY, 990);

    // Its calibration page is printed with the values in the boxes.
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("calibration.pdf")));
    printer.setFullPage(true);
    ASSERT_TRUE(window.printCalibrationPage(printer));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {printer.outputFileName(), QStringLiteral("-")});
    text.waitForFinished(60000);
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    EXPECT_TRUE(words.contains(QStringLiteral("Kalibrace tiskárny „A“"))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("posun vodorovně 15"))) << words.toStdString();
}

TEST(Calibration, PaperThatIsNotA4KeepsItsSizeAndWarnsWhenTheCoverDoesNotFit)
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    PrintSetup::prepare(printer, QStringLiteral("album"));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF()));
    PrintSetup::keepCoverPage(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_TRUE(PrintSetup::fitWarning(printer, PrinterCalibration()).isEmpty()) << "the cover ends 271.5 mm down";
    EXPECT_FALSE(PrintSetup::fitWarning(printer, PrinterCalibration{0, 100, 1000, 1000}).isEmpty());
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF()));
    const QString warning = PrintSetup::fitWarning(printer, PrinterCalibration());
    EXPECT_TRUE(warning.contains(QStringLiteral("148 × 210 mm"))) << warning.toStdString();

    EXPECT_EQ(PrintSetup::proposedPdf(QStringLiteral("/data/covers/album.kvp"), QStringLiteral("/elsewhere")),
              QStringLiteral("/data/covers/album.pdf"));
    EXPECT_EQ(PrintSetup::proposedPdf(QString(), QStringLiteral("/home/user/cd")), QStringLiteral("/home/user/cd/obal.pdf"));
}
