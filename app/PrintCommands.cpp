#include "app/PrintCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopeGuard>

#include "app/PrintSetup.h"
#include "dialogs/Ask.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FileDialogFilters.h"
#include "print/PdfOutput.h"
#include "print/PiecesPdf.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "settings/DiscSheetStore.h"

namespace korvel {

PrintCommands::PrintCommands(CoverDocument &document, QWidget &window)
    : QObject(&window)
    , m_document(document)
    , m_window(window)
{
}

const CoverPage &PrintCommands::sheet() const
{
    return *m_document.sheets().value(m_sheet, &m_document.page());
}

bool PrintCommands::cutCircles() const
{
    return &sheet() == &m_document.label() && DiscSheetStore::cutCircles();
}

bool PrintCommands::printOn(QPrinter &printer)
{
    return printOn(printer, TrimSettingsStore::load());
}

bool PrintCommands::printOn(QPrinter &printer, const TrimSettings &trim)
{
    // Whatever the dialog offered, the cover is one portrait page from the paper's
    // corner, moved and stretched by the calibration of the printer it goes to.
    PrintSetup::keepCoverPage(printer);
    const PrinterCalibration calibration = PrintSetup::calibrationFor(printer);
    const QString warning = PrintSetup::fitWarning(printer, calibration, sheet().layout());
    if (!warning.isEmpty() && !Ask(QStringLiteral("Tisk"), warning, 1))
        return false;

    QProgressDialog progress(&m_window);
    progress.setObjectName(QStringLiteral("PrintProgress"));
    progress.setWindowTitle(QStringLiteral("Printing progress"));
    progress.setLabelText(QStringLiteral("Printing progress"));
    progress.setCancelButtonText(QStringLiteral("Cancel"));
    progress.setRange(0, 1);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    QCoreApplication::processEvents();
    if (progress.wasCanceled())
        return false;
    // Printed to a PDF file in colour, the page is the PDF korvel-print writes: the
    // photos go in as their own JPEG files. The printer's own path is left as Qt has
    // it, and so is a greyscale PDF, whose photos Qt turns grey (Qt's PDF engine
    // draws grey only for a printer).
    const bool toPdfFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
                           && printer.colorMode() == QPrinter::Color;
    bool ok = false;
    if (toPdfFile) {
        PdfOutput::Setup setup;
        setup.title = printer.docName();
        setup.creator = printer.creator();
        setup.resolution = printer.resolution();
        setup.pageLayout = printer.pageLayout();
        setup.version = printer.pdfVersion();
        QString error; // the box below says it for every failure alike
        ok = PdfOutput(setup).write(
            printer.outputFileName(),
            [&](QPagedPaintDevice &device, PhotoPassThrough *photos) {
                return SheetRenderer::printTo(sheet(), device, calibration, photos, trim, cutCircles());
            },
            &error);
    } else {
        ok = SheetRenderer::printTo(sheet(), printer, calibration, nullptr, trim, cutCircles());
    }
    progress.setValue(1);
    if (ok) {
        PrintSetup::rememberPrinter(printer); // offered first in the next print dialog
    } else {
        const QString where = printer.outputFileName().isEmpty() ? QStringLiteral("na tiskárnu %1").arg(printer.printerName())
                                                                 : QStringLiteral("do souboru %1").arg(printer.outputFileName());
        showErrorBox(&m_window, QStringLiteral("Stránku se nepodařilo vytisknout %1.").arg(where));
    }
    return ok;
}

void PrintCommands::withPrinter(const std::function<void(QPrinter &)> &job)
{
    // A preview or print asked for while one is being prepared is ignored.
    if (m_preparing)
        return;
    m_preparing = true;
    const auto done = qScopeGuard([this] { m_preparing = false; });
    QPrinter printer(QPrinter::HighResolution);
    PrintSetup::prepare(printer, QStringLiteral("Korvel"), sheet().layout());
    // The print job is named after the project, as print queues show it.
    if (m_document.isNamed() && !m_document.path().isEmpty())
        printer.setDocName(QFileInfo(m_document.path()).completeBaseName());
    job(printer);
}

void PrintCommands::preview()
{
    bool print = false;
    withPrinter([this, &print](QPrinter &printer) {
        CoverPreviewDialog preview(&printer, &m_window);
        preview.setObjectName(QStringLiteral("PrintPreview"));
        preview.setWindowTitle(QStringLiteral("Náhled"));
        // The preview shows the page itself: no printer's calibration reaches it, but
        // the marks and the bleed it will be printed with do.
        const TrimSettings trim = TrimSettingsStore::load();
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [this, trim](QPrinter *p) { SheetRenderer::previewTo(sheet(), *p, trim, cutCircles()); });
        preview.exec();
        print = preview.printRequested();
    });
    if (print)
        this->print();
}

void PrintCommands::print()
{
    withPrinter([this](QPrinter &printer) {
        const QString pdf = PrintSetup::proposedPdf(m_document.isNamed() ? m_document.path() : QString(), m_document.folder());
        CoverPrintDialog dialog(&printer, pdf, &m_window);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        printOn(printer, dialog.trim());
    });
}

QString PrintCommands::proposedPiecesPdf() const
{
    const QString pdf = PrintSetup::proposedPdf(m_document.isNamed() ? m_document.path() : QString(), m_document.folder());
    const QFileInfo info(pdf);
    return info.absoluteDir().absoluteFilePath(info.completeBaseName() + QStringLiteral("-tiskarna.pdf"));
}

bool PrintCommands::exportPieces()
{
    QFileDialog dialog(&m_window, QStringLiteral("Exportovat pro tiskárnu"));
    dialog.setObjectName(QStringLiteral("ExportPiecesDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    setPlatformNameFilters(dialog, {QStringLiteral("PDF pro tiskárnu (*.pdf)")});
    const QString proposed = proposedPiecesPdf();
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(QFileInfo(proposed).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    QString path = QDir(m_document.folder()).absoluteFilePath(dialog.selectedFiles().first());
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    return exportPiecesTo(path);
}

bool PrintCommands::exportPiecesTo(const QString &path)
{
    // A print shop wants a bleed: the user's own, or the usual 3 mm.
    const int stored = TrimSettingsStore::load().bleed;
    const int bleed = stored > 0 ? stored : TrimSettings::kShopBleed;
    QString error;
    if (!PiecesPdf::write(m_document.page(), bleed, path, QFileInfo(path).completeBaseName(), &error)) {
        showErrorBox(&m_window, QStringLiteral("Díly pro tiskárnu se nepodařilo uložit: %1").arg(error));
        return false;
    }
    emit notice(QStringLiteral("Díly pro tiskárnu (spadávka %1 mm) jsou uloženy v souboru %2.")
                    .arg(TrimSettings::bleedText(bleed), QDir::toNativeSeparators(path)));
    return true;
}

} // namespace korvel
