#include "project/CalibrationPage.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

#include "project/PageGeometry.h"

namespace korvel {

namespace {

// Everything below is drawn in tenths of a millimetre.
//
// The ruler across runs along the top edge, the one down along the left edge, each
// with its ticks pointing to the paper's edge and its numbers beyond the ticks, so
// that the crosses, whose arms reach 20 mm from the edges, cross no number. Two
// rulers along adjacent edges would meet in the corner, so the one down starts at
// 30 mm, clear below the one across, which runs from 10 mm.
constexpr double kRulerAcrossY = 180; // the horizontal ruler's base line
constexpr double kRulerDownX = 180;   // the vertical ruler's base line
constexpr double kRulerAcrossFrom = 100;
constexpr double kRulerDownFrom = 300;
constexpr double kRulerTo = 100; // both end 10 mm before the far edge
constexpr double kLabelGap = 15; // between the longest tick and its number

QFont textFont(double heightTenths, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(int(heightTenths));
    font.setBold(bold);
    return font;
}

// Ticks every millimetre, longer every 5, longest and numbered every 10 (the
// number is the distance from the paper's edge in millimetres).
void paintRuler(QPainter &painter, bool across)
{
    const double from = across ? kRulerAcrossFrom : kRulerDownFrom;
    const double to = (across ? kPaperWidth : kPaperHeight) - kRulerTo;
    const double base = across ? kRulerAcrossY : kRulerDownX;
    constexpr double longest = 45;
    painter.setFont(textFont(25));
    for (int mm = int(from / 10); mm <= int(to / 10); ++mm) {
        const double length = mm % 10 == 0 ? longest : mm % 5 == 0 ? 30 : 20;
        const double at = mm * 10.0;
        if (across)
            painter.drawLine(QPointF(at, base), QPointF(at, base - length));
        else
            painter.drawLine(QPointF(base, at), QPointF(base - length, at));
        if (mm % 10 != 0)
            continue;
        // The number ends kLabelGap short of its tick, on the edge's side.
        const double end = base - longest - kLabelGap;
        const QString label = QString::number(mm);
        if (across)
            painter.drawText(QRectF(at - 60, end - 30, 120, 30), Qt::AlignHCenter | Qt::AlignBottom, label);
        else
            painter.drawText(QRectF(end - 120, at - 15, 120, 30), Qt::AlignRight | Qt::AlignVCenter, label);
    }
    if (across)
        painter.drawLine(QPointF(from, base), QPointF(to, base));
    else
        painter.drawLine(QPointF(base, from), QPointF(base, to));
}

void paintCross(QPainter &painter, const CalibrationPage::Cross &cross)
{
    const QPointF c = cross.at;
    painter.drawLine(c - QPointF(100, 0), c + QPointF(100, 0));
    painter.drawLine(c - QPointF(0, 100), c + QPointF(0, 100));
    painter.drawEllipse(c, 30, 30);
    painter.setFont(textFont(35, true));
    painter.drawText(QRectF(c.x() + 40, c.y() - 90, 100, 45), Qt::AlignLeft | Qt::AlignBottom,
                     QString(QLatin1Char(cross.name)));
}

QString millimetres(double tenths)
{
    return QString::number(tenths / 10.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

void CalibrationPage::paint(QPainter &painter, double dpi, const QString &printerName,
                            const PrinterCalibration &calibration)
{
    painter.save();
    painter.scale(dpi / 254.0, dpi / 254.0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1.0)); // 0.1 mm
    painter.setBrush(Qt::NoBrush);
    paintRuler(painter, true);
    paintRuler(painter, false);
    for (const Cross &cross : kCrosses)
        paintCross(painter, cross);

    const Cross &a = kCrosses[0], &b = kCrosses[1], &c = kCrosses[2];
    const QString title = printerName.isEmpty() ? QStringLiteral("Kalibrace tiskárny")
                                                : QStringLiteral("Kalibrace tiskárny „%1“").arg(printerName);
    const QString shown = QStringLiteral("Vytištěno s kalibrací: posun vodorovně %1, svisle %2 (desetiny mm), "
                                         "měřítko vodorovně %3 ‰, svisle %4 ‰.")
                              .arg(calibration.offsetX)
                              .arg(calibration.offsetY)
                              .arg(calibration.scaleX)
                              .arg(calibration.scaleY);
    const QString steps =
        QStringLiteral(
            "1. Tiskněte na papír A4 ve skutečné velikosti, bez zmenšení a přizpůsobení stránce.\n"
            "2. Změřte pravítkem vzdálenost kříže A od levého a od horního okraje papíru; má být %1 mm "
            "a %2 mm. Rozdíl (má být − naměřeno) v desetinách milimetru přičtěte k posunu "
            "(kladný posouvá doprava a dolů).\n"
            "3. Změřte vzdálenost křížů A–B (má být %3 mm) a A–C (má být %4 mm). "
            "Nové měřítko v ‰ = stávající měřítko × má být ÷ naměřeno.\n"
            "4. Hodnoty zadejte v okně „Kalibrace tiskárny“ a stránku vytiskněte znovu: kříže pak leží "
            "na svých místech a pravítka souhlasí s vaším pravítkem.")
            .arg(millimetres(a.at.x()), millimetres(a.at.y()), millimetres(b.at.x() - a.at.x()),
                 millimetres(c.at.y() - a.at.y()));
    const QRectF block(450, 700, 1200, 1400);
    painter.setFont(textFont(50, true));
    painter.drawText(QRectF(block.left(), block.top(), block.width(), 80), Qt::AlignLeft | Qt::TextWordWrap, title);
    painter.setFont(textFont(32));
    painter.drawText(QRectF(block.left(), block.top() + 100, block.width(), 100), Qt::AlignLeft | Qt::TextWordWrap,
                     shown);
    painter.drawText(QRectF(block.left(), block.top() + 230, block.width(), block.height() - 230),
                     Qt::AlignLeft | Qt::TextWordWrap, steps);
    painter.restore();
}

bool CalibrationPage::printTo(QPagedPaintDevice &device, const QString &printerName,
                              const PrinterCalibration &calibration)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dpiX = device.logicalDpiX();
    painter.setWorldTransform(calibration.forDevice(dpiX, device.logicalDpiY()), true);
    paint(painter, dpiX, printerName, calibration);
    return painter.end();
}

} // namespace korvel
