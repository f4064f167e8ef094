#pragma once
#include <QPointF>
#include <QString>
#include <array>

#include "settings/PrinterCalibration.h"

class QPainter;
class QPagedPaintDevice;

namespace korvel {

// One A4 page for measuring a printer with a ruler: millimetre rulers along both
// axes, crosshairs at known positions and a short Czech instruction. It is printed
// with the calibration being tried, so that a second print shows whether the
// crosshairs now land where they should.
class CalibrationPage {
public:
    struct Cross {
        char name;
        QPointF at; // tenths of a millimetre from the paper's top-left corner
    };
    // A and B lie 150 mm apart across, A and C 237 mm apart down.
    static constexpr std::array<Cross, 4> kCrosses = {{
        {'A', {300, 300}},
        {'B', {1800, 300}},
        {'C', {300, 2670}},
        {'D', {1800, 2670}},
    }};

    // Draws the page at dpi (device pixels per inch), uncorrected; the texts name
    // the printer and the calibration it is printed with.
    static void paint(QPainter &painter, double dpi, const QString &printerName,
                      const PrinterCalibration &calibration);
    // Prints it on one page of a printer or PDF, corrected by the calibration.
    static bool printTo(QPagedPaintDevice &device, const QString &printerName,
                        const PrinterCalibration &calibration);
};

} // namespace korvel
