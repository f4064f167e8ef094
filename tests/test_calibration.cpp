// Printer calibration: stored per printer and per user, applied to the paper only,
// the window that edits it, the calibration page, korvel-print's --offset and
// --scale, and the print set-up around the print dialog.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "project/SheetRenderer.h"
#include "project/SheetView.h"

#include "GuiTestUtil.h"
#include "PageTestUtil.h"
#include "app/PrintSetup.h"
#include "project/SheetRenderer.h"
#include "dialogs/CoverPrintDialog.h"
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

QString pdfText(const QString &pdf, const QStringList &options = {})
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The words of a PDF page with their boxes, in points from the page's corner.
QList<QPair<QString, QRectF>> pdfWords(const QString &pdf)
{
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QPair<QString, QRectF>> words;
    for (const auto &m : word.globalMatch(pdfText(pdf, {QStringLiteral("-bbox")})))
        words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    return words;
}

// The longest straight run of dark pixels along a row (or down a column): the
// row's (column's) index and where the run starts and ends.
struct InkRun {
    int at = -1, from = 0, to = -1;
};

InkRun longestRun(const QImage &image, bool alongRows)
{
    InkRun best;
    const int lines = alongRows ? image.height() : image.width();
    const int length = alongRows ? image.width() : image.height();
    for (int i = 0; i < lines; ++i) {
        int start = -1;
        for (int j = 0; j <= length; ++j) {
            const bool dark = j < length && isDark(alongRows ? image.pixel(j, i) : image.pixel(i, j));
            if (dark && start < 0)
                start = j;
            if (!dark && start >= 0) {
                if (j - start > best.to - best.from + 1)
                    best = {i, start, j - 1};
                start = -1;
            }
        }
    }
    return best;
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
        SheetRenderer::paintOnPaper(page, p, 96, 96, calibration);
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

TEST(Calibration, WithNoPrinterTheScaleShowsTheNeutralValue)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed here";
    const TFrmCalibration window{QString()};
    EXPECT_EQ(window.findChild<QSpinBox *>(QStringLiteral("ScaleX"))->value(), 1000);
    EXPECT_EQ(window.findChild<QSpinBox *>(QStringLiteral("ScaleY"))->value(), 1000);
    EXPECT_EQ(window.calibration(), PrinterCalibration());
}

TEST(Calibration, ThePageIsPrintedOnlyWhenThePrintDialogIsAccepted)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("kalibrace.pdf"));
    TFrmCalibration window(QStringLiteral("A"));
    window.findChild<QSpinBox *>(QStringLiteral("OffsetX"))->setValue(12);
    auto *button = window.findChild<QPushButton *>(QStringLiteral("PrintCalibrationPage"));

    // Whatever window comes first is closed; only the print dialog is answered.
    QStringList seen;
    auto answer = [&](bool accept) {
        whenModal<QDialog>([&seen, &pdf, accept](QDialog *d) {
            seen << QString::fromLatin1(d->metaObject()->className());
            auto *dialog = qobject_cast<CoverPrintDialog *>(d);
            if (!dialog || !accept) {
                d->reject();
                return;
            }
            EXPECT_EQ(dialog->findChild<QWidget *>(QStringLiteral("CalibrationTab")), nullptr)
                << "the page shows the values being tried, not the stored ones";
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1); // to a file
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(pdf);
            dialog->accept();
        });
    };
    answer(false);
    button->click();
    EXPECT_EQ(seen.join(u' ').toStdString(), "korvel::CoverPrintDialog");
    EXPECT_FALSE(QFileInfo::exists(pdf));

    answer(true);
    button->click();
    EXPECT_EQ(seen.join(u' ').toStdString(), "korvel::CoverPrintDialog korvel::CoverPrintDialog");
    ASSERT_TRUE(QFileInfo::exists(pdf));
    const QString words = pdfText(pdf).simplified();
    EXPECT_TRUE(words.contains(QStringLiteral("Kalibrace tiskárny „A“"))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("posun vodorovně 12"))) << words.toStdString();
}

TEST(Calibration, ThePrinterCalibratedLastIsOfferedFirstWhileItIsInstalled)
{
    TFrmCalibration window(QStringLiteral("A"));
    window.printerBox()->addItem(QStringLiteral("B"));
    window.setPrinterName(QStringLiteral("B"));
    window.accept(); // Uložit, even with nothing changed
    EXPECT_EQ(PrinterCalibrationStore::lastPrinter(), QStringLiteral("B"));
    EXPECT_EQ(PrinterCalibrationStore::preferredPrinter({QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("A")),
              QStringLiteral("B"));
    EXPECT_EQ(PrinterCalibrationStore::preferredPrinter({QStringLiteral("A")}, QStringLiteral("A")), QStringLiteral("A"))
        << "B is no longer installed";

    // A print to a file leaves it as it was.
    QPrinter file;
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(QDir::temp().filePath(QStringLiteral("cover.pdf")));
    PrintSetup::rememberPrinter(file);
    EXPECT_EQ(PrinterCalibrationStore::lastPrinter(), QStringLiteral("B"));
}

TEST(Calibration, EveryRulerNumberStandsClearAndTheRulersDoNotMeet)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        ASSERT_TRUE(CalibrationPage::printTo(writer, QStringLiteral("Tiskárna"), PrinterCalibration()));
    }
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(raster.waitForFinished(60000));
    const QImage page = QImage(dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.width(), 2480);

    const double pixelsPerPoint = 300 / 72.0;
    const int halfMm = qRound(300 / 25.4 / 2);
    QSet<int> numbers;
    for (const auto &[text, box] : pdfWords(pdf)) {
        bool number = false;
        const int mm = text.toInt(&number);
        if (!number || mm > 300) // the calibration's own values are per mille
            continue;
        numbers.insert(mm);
        // Half a millimetre around the number is blank: no tick, line or other
        // number runs into it.
        const QRect inked = QRectF(box.topLeft() * pixelsPerPoint, box.bottomRight() * pixelsPerPoint).toAlignedRect();
        const QRect around = inked.adjusted(-halfMm, -halfMm, halfMm, halfMm);
        EXPECT_EQ(darkPixels(page, around) - darkPixels(page, inked), 0) << "around " << mm << " mm";
    }
    for (int mm = 10; mm <= 280; mm += 10)
        EXPECT_TRUE(numbers.contains(mm)) << mm << " mm is not numbered";

    // The rulers' base lines, the longest lines across and down the page, do not
    // meet, so the corner is not inked twice.
    const InkRun across = longestRun(page, true), down = longestRun(page, false);
    ASSERT_GT(across.to - across.from, 1000);
    ASSERT_GT(down.to - down.from, 1000);
    const bool meet = down.at >= across.from - halfMm && down.at <= across.to + halfMm &&
                      across.at >= down.from - halfMm && across.at <= down.to + halfMm;
    EXPECT_FALSE(meet) << "across: row " << across.at << " from " << across.from << " to " << across.to
                       << "; down: column " << down.at << " from " << down.from << " to " << down.to;
}
