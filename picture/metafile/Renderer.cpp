#include "picture/metafile/Renderer.h"

#include "picture/metafile/RendererPrivate.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace korvel::metafile {

namespace {

bool finiteTransform(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21())
        && std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

} // namespace

Renderer::Renderer(QPainter &painter, const QRectF &target, const QTransform &deviceToTarget,
                   QSizeF devicePixelsPerMm, int objectCount)
    : m_painter(painter), m_target(target), m_base(painter.transform()),
      m_deviceToTarget(deviceToTarget), m_pxPerMm(devicePixelsPerMm)
{
    m_objects.resize(std::size_t(std::clamp(objectCount, 0, 65536)));
    const double perPicturePixel = m_pxPerMm.width() / (96 / 25.4);
    if (std::isfinite(perPicturePixel) && perPicturePixel > 1e-6 && perPicturePixel < 1e6)
        m_patternScale = perPicturePixel;
    m_painter.save();
    m_painter.setClipRect(target, Qt::IntersectClip);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Inner level: clip changes go back to here and intersect afresh.
    m_painter.save();
    m_state.brush.style = LogBrush::Solid;
    m_state.brush.color = Qt::white;
}

Renderer::~Renderer()
{
    m_painter.restore();
    m_painter.restore();
}

// ---- mapping ---------------------------------------------------------------

double Renderer::deviceScale() const
{
    return scaleOf(m_logical);
}

void Renderer::applyTransform()
{
    if (m_clipDirty) {
        m_painter.restore();
        m_painter.save();
        if (m_state.clip || m_xorClip)
            m_painter.setTransform(m_deviceToTarget * m_base);
        if (m_state.clip)
            m_painter.setClipPath(*m_state.clip, Qt::IntersectClip);
        if (m_xorClip)
            m_painter.setClipPath(*m_xorClip, Qt::IntersectClip);
        m_clipDirty = false;
        m_transformDirty = m_penDirty = m_brushDirty = true;
    }
    if (m_transformDirty) {
        QTransform t = logicalToDevice();
        if (!finiteTransform(t) || scaleOf(t) == 0)
            t = QTransform();
        m_logical = t;
        m_painter.setTransform(m_logical * m_deviceToTarget * m_base);
        m_transformDirty = false;
        m_penDirty = m_brushDirty = true; // widths and brush tiles depend on the scale
    }
}

// ---- drawing through the painter ---------------------------------------------

bool Renderer::measured(const QRectF &logicalBounds)
{
    if (!m_measure)
        return false;
    applyTransform();
    const QRectF r = m_logical.mapRect(logicalBounds.normalized());
    if (std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.width()) && std::isfinite(r.height()))
        *m_measure = m_measure->isNull() ? r : m_measure->united(r);
    return true;
}

bool Renderer::captureMask(const QPainterPath &logical)
{
    if (m_xor != XorPhase::Mask)
        return false;
    applyTransform();
    if (m_xorMask.elementCount() < kMaxClipElements)
        m_xorMask.addPath(m_logical.map(logical));
    return true;
}

bool Renderer::prepare(bool stroke, bool fill)
{
    if (nothingToDraw())
        return false;
    applyTransform();
    if (stroke && m_penDirty) {
        m_painter.setPen(makePen());
        m_penDirty = false;
    }
    if (fill && m_brushDirty) {
        m_painter.setBrush(makeBrush(m_state.brush));
        m_brushDirty = false;
    }
    return true;
}

void Renderer::drawPath(const QPainterPath &path, bool stroke, bool fill)
{
    if (m_pathOpen) {
        m_path.addPath(path);
        return;
    }
    if (measured(path.boundingRect()))
        return;
    if (fill && captureMask(path))
        return;
    if (!prepare(stroke, fill))
        return;
    if (fill && m_state.brush.style == LogBrush::Hatched) {
        hatch(path, m_state.brush);
        if (stroke && prepare(true, false))
            m_painter.strokePath(path, m_painter.pen());
    } else if (fill && stroke) {
        m_painter.drawPath(path);
    } else if (fill) {
        m_painter.fillPath(path, m_painter.brush());
    } else if (stroke) {
        m_painter.strokePath(path, m_painter.pen());
    }
}

void Renderer::fillWithBrush(const QPainterPath &shape, const LogBrush &brush)
{
    if (brush.style == LogBrush::Hatched)
        hatch(shape, brush);
    else if (brush.style != LogBrush::Null)
        m_painter.fillPath(shape, makeBrush(brush));
}

// GDI hatches are eight pixels apart; drawn here as lines clipped to the shape,
// so that paper gets vectors and every device the same spacing.
void Renderer::hatch(const QPainterPath &shape, const LogBrush &b)
{
    if (m_state.bkOpaque)
        m_painter.fillPath(shape, rop2Color(m_state.bkColor));
    const QPainterPath device = m_logical.map(shape);
    bool ok = false;
    const QTransform targetToDevice = m_deviceToTarget.inverted(&ok);
    if (!ok)
        return;
    const QRectF area = device.boundingRect().intersected(targetToDevice.mapRect(m_target));
    if (area.isEmpty())
        return;
    const QColor colour = rop2Color(b.color);
    const double step = 8 * m_patternScale;
    if ((area.width() + area.height()) / step > 20000) {
        // Finer than anything can show: the average of lines and gaps.
        QColor faint = colour;
        faint.setAlphaF(0.25f);
        m_painter.fillPath(shape, faint);
        return;
    }
    const int style = std::clamp(b.hatch, 0, 5);
    QPainterPath lines;
    const bool horizontal = style == 0 || style == 4, vertical = style == 1 || style == 4;
    const bool down = style == 2 || style == 5, up = style == 3 || style == 5;
    if (horizontal)
        for (double y = std::floor(area.top() / step) * step; y <= area.bottom(); y += step) {
            lines.moveTo(area.left(), y);
            lines.lineTo(area.right(), y);
        }
    if (vertical)
        for (double x = std::floor(area.left() / step) * step; x <= area.right(); x += step) {
            lines.moveTo(x, area.top());
            lines.lineTo(x, area.bottom());
        }
    if (down) // y = x + c
        for (double c = std::floor((area.top() - area.right()) / step) * step; c <= area.bottom() - area.left(); c += step) {
            lines.moveTo(area.left(), area.left() + c);
            lines.lineTo(area.right(), area.right() + c);
        }
    if (up) // y = -x + c
        for (double c = std::floor((area.top() + area.left()) / step) * step; c <= area.bottom() + area.right(); c += step) {
            lines.moveTo(area.left(), c - area.left());
            lines.lineTo(area.right(), c - area.right());
        }
    m_painter.save();
    m_painter.setTransform(m_deviceToTarget * m_base);
    m_painter.setClipPath(device, Qt::IntersectClip);
    // On raster devices a one-pixel cosmetic line is what GDI draws and is
    // stroked far faster; vector devices get the line width scaled with the picture.
    const bool raster = m_painter.paintEngine() && m_painter.paintEngine()->type() == QPaintEngine::Raster;
    const double width = raster ? 0.0 : step / 8;
    m_painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPath(lines);
    m_painter.restore();
}

} // namespace korvel::metafile
