#include "app/PrintSetup.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include "project/CoverPage.h"

namespace korvel {

namespace {

bool goesToPrinter(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty();
}

} // namespace

QPageSize PrintSetup::paperOf(const SheetLayout &layout)
{
    if (layout.paperWidth == kPaperWidth && layout.paperHeight == kPaperHeight)
        return QPageSize(QPageSize::A4);
    const QSizeF size(layout.paperWidth / 10, layout.paperHeight / 10);
    return QPageSize(size, QPageSize::Millimeter,
                     QStringLiteral("%1 × %2 mm").arg(qRound(size.width())).arg(qRound(size.height())),
                     QPageSize::ExactMatch);
}

void PrintSetup::prepare(QPrinter &printer, const QString &documentName, const SheetLayout &layout)
{
    // First, as choosing a printer may set up its own page.
    const QString preferred =
        PrinterCalibrationStore::preferredPrinter(QPrinterInfo::availablePrinterNames(), printer.printerName());
    if (!preferred.isEmpty() && preferred != printer.printerName())
        printer.setPrinterName(preferred);
    printer.setPageLayout(QPageLayout(paperOf(layout), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                      QPageLayout::Millimeter));
    // Positions are measured from the paper's corner, not from the printable area.
    printer.setFullPage(true);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPaperSource(QPrinter::Upper); // the first paper bin
    printer.setDocName(documentName);
}

void PrintSetup::keepCoverPage(QPrinter &printer)
{
    QPageSize paper = printer.pageLayout().pageSize();
    if (!paper.isValid())
        paper = QPageSize(QPageSize::A4);
    printer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setFullPage(true);
}

void PrintSetup::rememberPrinter(const QPrinter &printer)
{
    if (goesToPrinter(printer))
        PrinterCalibrationStore::rememberLastPrinter(printer.printerName());
}

PrinterCalibration PrintSetup::calibrationFor(const QPrinter &printer)
{
    if (!goesToPrinter(printer))
        return PrinterCalibration();
    return PrinterCalibrationStore::load(printer.printerName());
}

QString PrintSetup::fitWarning(const QPrinter &printer, const PrinterCalibration &calibration,
                               const SheetLayout &layout)
{
    const QPageSize paper = printer.pageLayout().pageSize();
    const QSizeF size = paper.size(QPageSize::Millimeter) * 10; // tenths of a millimetre
    const QRectF area = CoverPage::printedArea(layout);
    const QRectF placed(calibration.map(area.topLeft()), calibration.map(area.bottomRight()));
    if (QRectF(QPointF(0, 0), size).contains(placed))
        return QString();
    auto mm = [](double tenths) { return QString::number(qRound(tenths / 10.0)); };
    const QString what = &layout == &kJewelCase ? QStringLiteral("Obal CD") : QStringLiteral("Etiketa disku");
    return QStringLiteral("%1 se na papír %2 (%3 × %4 mm) celý nevejde. Tisknout přesto?")
        .arg(what, paper.name(), mm(size.width()), mm(size.height()));
}

QString PrintSetup::proposedPdf(const QString &projectPath, const QString &folder)
{
    if (projectPath.isEmpty())
        return QDir(folder).absoluteFilePath(QStringLiteral("obal.pdf"));
    const QFileInfo project(projectPath);
    return project.absoluteDir().absoluteFilePath(project.completeBaseName() + QStringLiteral(".pdf"));
}

} // namespace korvel
