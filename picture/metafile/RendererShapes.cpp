#include "picture/metafile/Renderer.h"

#include "picture/metafile/RendererPrivate.h"

#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace korvel::metafile {

// ---- drawing -----------------------------------------------------------------

void Renderer::moveTo(QPointF p)
{
    m_state.position = p;
    if (m_pathOpen)
        m_path.moveTo(p);
}

void Renderer::lineTo(QPointF p)
{
    if (m_pathOpen) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.position);
        m_path.lineTo(p);
    } else if (!measured(QRectF(m_state.position, p)) && prepare(true, false)) {
        m_painter.drawLine(m_state.position, p);
    }
    m_state.position = p;
}

void Renderer::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    if (m_pathOpen) {
        m_path.moveTo(points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            m_path.lineTo(points[i]);
        return;
    }
    if (!measured(points.boundingRect()) && prepare(true, false))
        m_painter.drawPolyline(points);
}

void Renderer::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    if (m_pathOpen) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.position);
        for (const QPointF &p : points)
            m_path.lineTo(p);
    } else if (!measured(points.boundingRect().united(QRectF(m_state.position, QSizeF(0, 0))))
               && prepare(true, false)) {
        m_scratch.clear();
        m_scratch.reserve(points.size() + 1);
        m_scratch.append(m_state.position);
        m_scratch.append(points);
        m_painter.drawPolyline(m_scratch);
    }
    m_state.position = points.last();
}

void Renderer::polygon(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    if (m_pathOpen) {
        m_path.addPolygon(points);
        m_path.closeSubpath();
        return;
    }
    if (m_state.brush.style == LogBrush::Hatched) {
        QPainterPath path;
        path.addPolygon(points);
        path.closeSubpath();
        path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
        drawPath(path, true, true);
        return;
    }
    if (measured(points.boundingRect()))
        return;
    if (m_xor == XorPhase::Mask) {
        QPainterPath path;
        path.addPolygon(points);
        path.closeSubpath();
        captureMask(path);
        return;
    }
    if (!prepare(true, true))
        return;
    // Writers lay gradients and surfaces out as abutting unoutlined polygons;
    // antialiased edges would show every seam, so those are filled as GDI does.
    const bool seamless = (m_state.pen.style & 0xF) == 5;
    if (seamless)
        m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.drawPolygon(points, m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    if (seamless)
        m_painter.setRenderHint(QPainter::Antialiasing, true);
}

void Renderer::polyPolygon(const std::vector<QPolygonF> &polygons)
{
    QPainterPath path;
    path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QPolygonF &p : polygons) {
        if (p.size() < 2)
            continue;
        path.addPolygon(p);
        path.closeSubpath();
    }
    const bool seamless = !m_pathOpen && (m_state.pen.style & 0xF) == 5;
    if (seamless)
        m_painter.setRenderHint(QPainter::Antialiasing, false);
    drawPath(path, true, true);
    if (seamless)
        m_painter.setRenderHint(QPainter::Antialiasing, true);
}

void Renderer::polyPolyline(const std::vector<QPolygonF> &lines)
{
    for (const QPolygonF &p : lines)
        polyline(p);
}

void Renderer::polyBezier(const QPolygonF &points, bool fromCurrent)
{
    QPainterPath path;
    qsizetype i = 0;
    if (fromCurrent) {
        path.moveTo(m_state.position);
    } else {
        if (points.isEmpty())
            return;
        path.moveTo(points[0]);
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (m_pathOpen) {
        if (fromCurrent && m_path.elementCount() > 0) {
            // Continue the open figure instead of starting a new one.
            for (int e = 1; e < path.elementCount(); e += 3) {
                if (e + 2 < path.elementCount())
                    m_path.cubicTo(path.elementAt(e), path.elementAt(e + 1), path.elementAt(e + 2));
            }
        } else {
            m_path.addPath(path);
        }
    } else {
        drawPath(path, true, false);
    }
    if (fromCurrent && !points.isEmpty())
        m_state.position = points.last();
}

void Renderer::rectangle(QRectF box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    drawPath(path, true, true);
}

void Renderer::roundRect(QRectF box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::fabs(corner.width()) / 2, std::fabs(corner.height()) / 2);
    drawPath(path, true, true);
}

void Renderer::ellipse(QRectF box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    drawPath(path, true, true);
}

void Renderer::arc(QRectF box, QPointF start, QPointF end, ArcKind kind)
{
    box = box.normalized();
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const QPointF c = box.center();
    // Angles of the radials, counter-clockwise as seen in y-down coordinates.
    auto angleOf = [&](QPointF p) {
        const double a = std::atan2(-(p.y() - c.y()) / box.height(), (p.x() - c.x()) / box.width());
        return a * 180.0 / M_PI;
    };
    const double a0 = angleOf(start);
    double sweep = angleOf(end) - a0;
    if (!m_state.clockwiseArcs) {
        while (sweep <= 0)
            sweep += 360;
    } else {
        while (sweep >= 0)
            sweep -= 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(box, a0, sweep);
        path.closeSubpath();
    } else if (kind == ArcKind::ArcTo) {
        path.moveTo(m_state.position);
        path.arcTo(box, a0, sweep);
    } else {
        path.arcMoveTo(box, a0);
        path.arcTo(box, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo)
        m_state.position = path.currentPosition();
    if (m_pathOpen && kind == ArcKind::ArcTo) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(path.elementAt(0));
        m_path.connectPath(path);
        return;
    }
    const bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    drawPath(path, true, closed);
}

void Renderer::angleArc(QPointF center, double radius, double startDeg, double sweepDeg)
{
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg))
        return;
    sweepDeg = std::clamp(sweepDeg, -360.0, 360.0);
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.moveTo(m_state.position);
    path.arcTo(box, std::fmod(startDeg, 360.0), sweepDeg);
    m_state.position = path.currentPosition();
    if (m_pathOpen) {
        m_path.connectPath(path);
        return;
    }
    drawPath(path, true, false);
}

void Renderer::setPixel(QPointF p, const QColor &color)
{
    if (nothingToDraw() || m_pathOpen || measured(QRectF(p, QSizeF(0, 0))))
        return;
    applyTransform();
    const QPointF d = m_logical.map(p);
    m_painter.setTransform(m_deviceToTarget * m_base);
    m_painter.fillRect(QRectF(d, QSizeF(1, 1)), color);
    m_transformDirty = true;
}

void Renderer::fillRect(const QRectF &rect, const QBrush &brush)
{
    if (nothingToDraw() || measured(rect))
        return;
    applyTransform();
    m_painter.fillRect(rect.normalized(), brush);
}

void Renderer::fillRegion(const QPainterPath &devicePath, const LogBrush &logBrush)
{
    if (nothingToDraw())
        return;
    if (m_measure) {
        *m_measure = m_measure->isNull() ? devicePath.boundingRect() : m_measure->united(devicePath.boundingRect());
        return;
    }
    applyTransform();
    bool ok = false;
    const QTransform deviceToLogical = m_logical.inverted(&ok);
    if (ok)
        fillWithBrush(deviceToLogical.map(devicePath), logBrush);
}

void Renderer::fillLogicalRegion(const QPainterPath &logical, const LogBrush &brush)
{
    if (nothingToDraw() || m_pathOpen || measured(logical.boundingRect()))
        return;
    applyTransform();
    fillWithBrush(logical, brush);
}

void Renderer::frameLogicalRegion(const QPainterPath &logical, const LogBrush &brush, QSizeF size)
{
    if (nothingToDraw() || m_pathOpen || measured(logical.boundingRect()))
        return;
    applyTransform();
    // The frame lies inside the region: the region minus itself shrunk.
    const double w = std::fabs(size.width()), h = std::fabs(size.height());
    if (!(w > 0) || !(h > 0) || logical.elementCount() > kMaxClipElements)
        return;
    QPainterPath inner;
    const QRectF r = logical.boundingRect();
    QTransform shrink = QTransform::fromTranslate(-r.center().x(), -r.center().y())
        * QTransform::fromScale(r.width() > 2 * w ? (r.width() - 2 * w) / r.width() : 0,
                                r.height() > 2 * h ? (r.height() - 2 * h) / r.height() : 0)
        * QTransform::fromTranslate(r.center().x(), r.center().y());
    inner = shrink.map(logical);
    fillWithBrush(logical.subtracted(inner), brush);
}

void Renderer::gradientFill(const QPainterPath &shape, const QBrush &brush)
{
    if (nothingToDraw() || measured(shape.boundingRect()))
        return;
    applyTransform();
    m_painter.fillPath(shape, brush);
}

// ---- paths -------------------------------------------------------------------

void Renderer::beginPath()
{
    m_path = QPainterPath();
    m_pathOpen = true;
}

void Renderer::endPath()
{
    m_pathOpen = false;
}

void Renderer::abortPath()
{
    m_path = QPainterPath();
    m_pathOpen = false;
}

void Renderer::closeFigure()
{
    if (m_pathOpen)
        m_path.closeSubpath();
}

void Renderer::fillPath()
{
    m_pathOpen = false;
    m_path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    drawPath(m_path, false, true);
    m_path = QPainterPath();
}

void Renderer::strokePath()
{
    m_pathOpen = false;
    drawPath(m_path, true, false);
    m_path = QPainterPath();
}

void Renderer::strokeAndFillPath()
{
    m_pathOpen = false;
    m_path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    drawPath(m_path, true, true);
    m_path = QPainterPath();
}

void Renderer::widenPath()
{
    applyTransform();
    QPainterPathStroker stroker(makePen());
    if (stroker.width() <= 0)
        stroker.setWidth(deviceScale() > 0 ? 1.0 / deviceScale() : 1.0);
    if (m_path.elementCount() <= kMaxClipElements)
        m_path = stroker.createStroke(m_path);
}

} // namespace korvel::metafile
