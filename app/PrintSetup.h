#pragma once
#include <QString>

#include <QPageSize>

#include "project/layouts/JewelCase.h"
#include "settings/PrinterCalibration.h"

class QPrinter;

namespace korvel {

// How a printer is set up for a sheet: one A4 portrait page (or the page of a
// printable disc) measured from the paper's corner, corrected by the calibration of
// the printer it goes to.
class PrintSetup {
public:
    // Before the print dialog or the preview: the printer printed on or calibrated
    // last while it is still installed, A4 portrait, no margins, positions from the
    // paper's corner, one copy from the first paper bin.
    // A sheet on paper of another size (a printable disc's square page) gets it.
    static void prepare(QPrinter &printer, const QString &documentName, const SheetLayout &layout = kJewelCase);
    // After a print: the printer it went to is offered first the next time. A file
    // is no printer and is not remembered.
    static void rememberPrinter(const QPrinter &printer);
    // After the print dialog: portrait from the corner again, whatever was chosen.
    // The paper is kept: a printer loaded with another paper gets the page at its
    // true size from the corner rather than a page scaled to fit.
    static void keepCoverPage(QPrinter &printer);
    // The calibration for the printer the page goes to; none when it goes to a file.
    static PrinterCalibration calibrationFor(const QPrinter &printer);
    // A Czech warning when the printed cover does not fit on the printer's paper,
    // or nothing when it fits.
    static QString fitWarning(const QPrinter &printer, const PrinterCalibration &calibration,
                              const SheetLayout &layout = kJewelCase);
    // The paper a sheet is laid out on: A4, or a page of its own size.
    static QPageSize paperOf(const SheetLayout &layout);
    // The PDF that printing to a file offers: beside the project and named after
    // it, or in folder (where the designer was started) when it has no name yet.
    static QString proposedPdf(const QString &projectPath, const QString &folder);
};

} // namespace korvel
