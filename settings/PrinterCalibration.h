#pragma once
#include <QString>
#include <QStringList>
#include <QTransform>

namespace korvel {

// How one printer misplaces the page, corrected when printing to it: the whole
// page is moved by an offset and stretched by a scale, both about the paper's
// top-left corner. Positions measured on paper become
//   x' = x * scaleX / 1000 + offsetX,   y' = y * scaleY / 1000 + offsetY
// (tenths of a millimetre, positive to the right and down; scale in per mille).
struct PrinterCalibration {
    int offsetX = 0;
    int offsetY = 0;
    int scaleX = 1000;
    int scaleY = 1000;

    // The ranges the dialog and korvel-print accept: a printer that is off by more
    // than 5 cm or 20 % is broken, not uncalibrated.
    static constexpr int kMaxOffset = 500;
    static constexpr int kMinScale = 800;
    static constexpr int kMaxScale = 1200;

    bool isIdentity() const { return offsetX == 0 && offsetY == 0 && scaleX == 1000 && scaleY == 1000; }
    bool isValid() const;
    bool operator==(const PrinterCalibration &) const = default;

    // The transform from a drawing made at dpiX in both directions to the device:
    // stretched down to the device's own vertical resolution (a printer may resolve
    // more finely across than down), then corrected by this calibration.
    QTransform forDevice(double dpiX, double dpiY) const;
    // A point of the page (tenths of a millimetre) where this calibration puts it.
    QPointF map(QPointF tenthsMm) const;
};

// The calibrations of the user's printers, one per printer name, in a file of the
// user's own configuration folder. Never in a project: a calibration belongs to the
// printer on this desk, not to the cover.
class PrinterCalibrationStore {
public:
    // The store file: "korvel/printer-calibration.ini" in the user's configuration
    // folder (QStandardPaths::ConfigLocation).
    static QString storePath();

    // The printer's calibration; none stored (or an unusable one) is the identity.
    static PrinterCalibration load(const QString &printerName);
    // Stores it, or forgets the printer when it is the identity. Returns false, with
    // a Czech message in *error, when the file cannot be written.
    static bool save(const QString &printerName, const PrinterCalibration &calibration, QString *error);

    // The printer the user printed on or calibrated last, kept in the same file so
    // that the print dialog and the calibration window offer it first next time; ""
    // before the first print. Remembering "" (a file, no printer) changes nothing.
    static QString lastPrinter();
    static void rememberLastPrinter(const QString &printerName);
    // The printer to offer first among the installed ones: the one used last while it
    // is still installed, otherwise fallback.
    static QString preferredPrinter(const QStringList &installed, const QString &fallback);
};

} // namespace korvel
