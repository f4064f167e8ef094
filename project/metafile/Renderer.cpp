#include "project/metafile/Renderer.h"

#include "project/Fonts.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRegion>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace korvel::metafile {

namespace {

// Limits that keep a hostile file from making playback slow or memory-hungry.
constexpr std::size_t kMaxSavedStates = 4096;
constexpr int kMaxClipElements = 4000;
constexpr int kMaxClipOperations = 5000;
constexpr int kMaxFontPixels = 4000;

// Stand-in for "no clipping" when a clip operation needs a region to combine with.
const QRectF kEverything(-1e8, -1e8, 2e8, 2e8);

bool finiteTransform(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21())
        && std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

double scaleOf(const QTransform &t)
{
    const double d = std::sqrt(std::fabs(t.determinant()));
    return std::isfinite(d) ? d : 0.0;
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

// ---- objects -------------------------------------------------------------

void Renderer::setObject(std::uint32_t index, GdiObject object)
{
    // Some writers undercount the handles in the header; grow within the 16-bit range.
    if (index >= m_objects.size() && index < 65536)
        m_objects.resize(index + 1);
    if (index < m_objects.size())
        m_objects[index] = std::move(object);
}

void Renderer::addObjectFirstFree(GdiObject object)
{
    for (auto &slot : m_objects) {
        if (slot.kind == GdiObject::Empty) {
            slot = std::move(object);
            return;
        }
    }
    if (m_objects.size() < 65535)
        m_objects.push_back(std::move(object));
}

void Renderer::selectObject(std::uint32_t index)
{
    if (index & 0x80000000u) {
        selectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (index >= m_objects.size())
        return;
    const GdiObject &o = m_objects[index];
    switch (o.kind) {
    case GdiObject::Pen: m_state.pen = o.pen; m_penDirty = true; break;
    case GdiObject::Brush: m_state.brush = o.brush; m_brushDirty = true; break;
    case GdiObject::Font: m_state.font = o.font; break;
    default: break;
    }
}

void Renderer::deleteObject(std::uint32_t index)
{
    if (index < m_objects.size())
        m_objects[index] = GdiObject();
}

void Renderer::selectStockObject(std::uint32_t stock)
{
    auto brush = [this](LogBrush::Style style, QColor c) {
        m_state.brush = LogBrush();
        m_state.brush.style = style;
        m_state.brush.color = c;
        m_brushDirty = true;
    };
    auto pen = [this](int style, QColor c) {
        m_state.pen = LogPen();
        m_state.pen.style = style;
        m_state.pen.color = c;
        m_penDirty = true;
    };
    switch (stock) {
    case 0: brush(LogBrush::Solid, Qt::white); break;
    case 1: brush(LogBrush::Solid, QColor(192, 192, 192)); break;
    case 2: brush(LogBrush::Solid, QColor(128, 128, 128)); break;
    case 3: brush(LogBrush::Solid, QColor(64, 64, 64)); break;
    case 4: brush(LogBrush::Solid, Qt::black); break;
    case 5: brush(LogBrush::Null, Qt::black); break;
    case 6: pen(0, Qt::white); break;
    case 7: pen(0, Qt::black); break;
    case 8: pen(5, Qt::black); break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        m_state.font = LogFont();
        break;
    case 18: brush(LogBrush::Solid, Qt::white); break;
    case 19: pen(0, Qt::black); break;
    default: break;
    }
}

void Renderer::saveDc()
{
    if (m_saved.size() < kMaxSavedStates)
        m_saved.push_back(m_state);
}

void Renderer::restoreDc(int n)
{
    std::size_t keep;
    if (n < 0) {
        const std::size_t back = std::size_t(-qint64(n));
        if (back > m_saved.size())
            return;
        keep = m_saved.size() - back;
    } else if (n > 0) {
        if (std::size_t(n) > m_saved.size())
            return;
        keep = std::size_t(n) - 1;
    } else {
        return;
    }
    m_state = m_saved[keep];
    m_saved.resize(keep);
    m_transformDirty = m_penDirty = m_brushDirty = true;
    m_clipDirty = true;
    ropChanged();
}

// ---- mapping ---------------------------------------------------------------

void Renderer::setMapMode(int mode)
{
    if (mode < 1 || mode > 8)
        return;
    m_state.mapMode = mode;
    mappingChanged();
}

QTransform Renderer::logicalToDevice() const
{
    const DcState &s = m_state;
    if (m_useWindowFrame) {
        // 16-bit metafiles: the window is what the frame shows.
        double sx = 1, sy = 1;
        if (s.windowExtSet && s.windowExt.width() != 0 && s.windowExt.height() != 0) {
            sx = m_windowFrame.width() / s.windowExt.width();
            sy = m_windowFrame.height() / s.windowExt.height();
        }
        return QTransform(sx, 0, 0, sy, m_windowFrame.left() - s.windowOrg.x() * sx,
                          m_windowFrame.top() - s.windowOrg.y() * sy);
    }
    double sx = 1, sy = 1;
    auto fixed = [&](double mmPerUnit) {
        sx = mmPerUnit * m_pxPerMm.width();
        sy = -mmPerUnit * m_pxPerMm.height();
    };
    switch (s.mapMode) {
    case 2: fixed(0.1); break;
    case 3: fixed(0.01); break;
    case 4: fixed(0.254); break;
    case 5: fixed(0.0254); break;
    case 6: fixed(25.4 / 1440); break;
    case 7:
    case 8: {
        const double ww = s.windowExt.width() ? s.windowExt.width() : 1;
        const double wh = s.windowExt.height() ? s.windowExt.height() : 1;
        sx = s.viewportExt.width() / ww;
        sy = s.viewportExt.height() / wh;
        if (s.mapMode == 7) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = sx < 0 ? -m : m;
            sy = sy < 0 ? -m : m;
        }
        break;
    }
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page;
}

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

// ---- pens and brushes --------------------------------------------------------

QColor Renderer::rop2Color(const QColor &c) const
{
    switch (m_state.rop2) {
    case 1: return Qt::black;
    case 16: return Qt::white;
    default: return c;
    }
}

bool Renderer::nothingToDraw() const
{
    return m_state.rop2 == 11 /* R2_NOP */ || m_xor == XorPhase::First;
}

void Renderer::setRop2(int rop, bool xorClipFollows)
{
    m_state.rop2 = rop;
    m_penDirty = m_brushDirty = true;
    ropChanged(xorClipFollows);
}

void Renderer::ropChanged(bool xorClipFollows)
{
    constexpr int kXor = 7, kCopy = 13;
    const int rop = m_state.rop2;
    switch (m_xor) {
    case XorPhase::None:
        if (rop == kXor && xorClipFollows)
            m_xor = XorPhase::First;
        break;
    case XorPhase::First:
        if (rop == kCopy) {
            m_xor = XorPhase::Mask;
            m_xorMask = QPainterPath();
            m_xorMask.setFillRule(Qt::WindingFill);
        }
        break;
    case XorPhase::Mask:
        if (rop == kXor) {
            m_xor = XorPhase::Second;
            m_xorClip = m_xorMask;
            m_clipDirty = true;
        } else if (rop != kCopy) {
            m_xor = XorPhase::None;
        }
        break;
    case XorPhase::Second:
        if (rop != kXor) {
            m_xor = XorPhase::None;
            m_xorClip.reset();
            m_clipDirty = true;
        }
        break;
    }
}

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

QPen Renderer::makePen() const
{
    const LogPen &lp = m_state.pen;
    const int style = lp.style & 0xF;
    if (style == 5)
        return Qt::NoPen;
    const double devScale = deviceScale();
    const double onePixel = devScale > 0 ? 1.0 / devScale : 1.0;
    const bool hairline = lp.cosmetic || lp.width * devScale < 1.0;
    QPen pen(rop2Color(lp.color));
    pen.setCapStyle((lp.style & 0xF00) == 0x100 ? Qt::SquareCap
                    : (lp.style & 0xF00) == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle((lp.style & 0xF000) == 0x1000 ? Qt::BevelJoin
                     : (lp.style & 0xF000) == 0x2000 ? Qt::SvgMiterJoin : Qt::RoundJoin);
    pen.setMiterLimit(std::clamp(m_state.miterLimit, 1.0, 100.0));
    const double width = hairline ? onePixel : lp.width;

    QVector<qreal> dashes;
    if (style >= 1 && style <= 4 && (hairline || !lp.cosmetic)) {
        // A wide pen from the classic pen record has no dashes (GDI draws it solid);
        // the extended pen record's geometric pens do.
        if (hairline) {
            static const qreal dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6},
                               dashDotDot[] = {9, 3, 3, 3, 3, 3};
            switch (style) {
            case 1: dashes = {dash[0], dash[1]}; break;
            case 2: dashes = {dot[0], dot[1]}; break;
            case 3: dashes = {dashDot[0], dashDot[1], dashDot[2], dashDot[3]}; break;
            default: dashes = {dashDotDot[0], dashDotDot[1], dashDotDot[2], dashDotDot[3], dashDotDot[4], dashDotDot[5]}; break;
            }
        } else if (lp.style & 0x10000) {
            switch (style) {
            case 1: dashes = {3, 1}; break;
            case 2: dashes = {1, 1}; break;
            case 3: dashes = {3, 1, 1, 1}; break;
            default: dashes = {3, 1, 1, 1, 1, 1}; break;
            }
        }
    } else if (style == 7 && !lp.userDashes.isEmpty()) {
        // User dashes are logical units for geometric pens, device pixels for cosmetic ones.
        const double unit = lp.cosmetic ? onePixel : 1.0;
        for (double d : lp.userDashes)
            dashes.append(std::max(0.0, d * unit / width));
        if (dashes.size() % 2)
            dashes += QVector<qreal>(dashes);
    } else if (style == 8) {
        dashes = {1, 1};
    }
    if (!dashes.isEmpty()) {
        double total = 0;
        for (qreal d : dashes)
            total += d;
        // A pattern that comes out below a pixel would only make the stroker emit
        // millions of segments; draw such a line solid.
        const double outScale = scaleOf(m_logical * m_deviceToTarget * m_base);
        if (total * width * outScale >= 1.0 && std::isfinite(total))
            pen.setDashPattern(dashes);
    }
    if (hairline && dashes.isEmpty() && pen.style() == Qt::SolidLine) {
        pen.setWidthF(0); // cosmetic: one pixel wherever it is drawn
    } else {
        pen.setWidthF(width);
    }
    return pen;
}

QBrush Renderer::makeBrush(const LogBrush &b) const
{
    switch (b.style) {
    case LogBrush::Null:
        return Qt::NoBrush;
    case LogBrush::Solid:
        return QBrush(rop2Color(b.color));
    case LogBrush::Hatched:
        // Filled by hatch() with lines; as a plain brush only its colour is used.
        return QBrush(rop2Color(b.color));
    case LogBrush::Pattern:
    case LogBrush::MonoPattern: {
        if (b.pattern.isNull())
            return QBrush(rop2Color(b.color));
        QImage tile = b.pattern;
        if (b.style == LogBrush::MonoPattern) {
            tile = tile.convertToFormat(QImage::Format_Mono);
            tile.setColorTable({m_state.textColor.rgb(), m_state.bkColor.rgb()});
            tile = tile.convertToFormat(QImage::Format_RGB32);
        }
        bool ok = false;
        const QTransform inv = m_logical.inverted(&ok);
        const QTransform tileToLogical = QTransform::fromScale(m_patternScale, m_patternScale) * inv;
        // Tiles scaled to nothing or to giants are beyond Qt's texture fills;
        // their average colour is what they would show anyway.
        const QTransform out = tileToLogical * m_logical * m_deviceToTarget * m_base;
        const double lx = std::hypot(out.m11(), out.m12()), ly = std::hypot(out.m21(), out.m22());
        if (!ok || !(std::min(lx, ly) > 0.01) || !(std::max(lx, ly) < 1000))
            return QBrush(QColor(tile.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0)));
        QBrush brush(tile);
        brush.setTransform(tileToLogical);
        return brush;
    }
    }
    return Qt::NoBrush;
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

// ---- text --------------------------------------------------------------------

QString Renderer::decodeText(const QByteArray &bytes, int charSet)
{
    const char *codec = nullptr;
    switch (charSet) {
    case 0: case 1: codec = "windows-1252"; break;
    case 77: codec = "macintosh"; break;
    case 128: codec = "Shift_JIS"; break;
    case 129: codec = "windows-949"; break;
    case 134: codec = "GBK"; break;
    case 136: codec = "Big5"; break;
    case 161: codec = "windows-1253"; break;
    case 162: codec = "windows-1254"; break;
    case 163: codec = "windows-1258"; break;
    case 177: codec = "windows-1255"; break;
    case 178: codec = "windows-1256"; break;
    case 186: codec = "windows-1257"; break;
    case 204: codec = "windows-1251"; break;
    case 222: codec = "windows-874"; break;
    case 238: codec = "windows-1250"; break;
    case 255: codec = "IBM437"; break;
    default: break;
    }
    if (codec) {
        QStringDecoder decoder(codec);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

QFont Renderer::makeFont(double &emHeight) const
{
    const LogFont &lf = m_state.font;
    QString face = lf.face;
    // Some writers list fallbacks ("Segoe UI;Tahoma"), PostScript converters write
    // style-suffixed names ("Helvetica-Bold"): keep the family, turn the rest into style.
    const int semicolon = face.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        face.truncate(semicolon);
    bool bold = lf.weight >= 600;
    bool italic = lf.italic;
    const int dash = face.indexOf(QLatin1Char('-'));
    if (dash > 0) {
        const QString suffix = face.mid(dash + 1).toLower();
        if (suffix.contains(QLatin1String("bold")))
            bold = true;
        if (suffix.contains(QLatin1String("italic")) || suffix.contains(QLatin1String("oblique")))
            italic = true;
        face.truncate(dash);
    }
    if (face == QLatin1String("Times"))
        face = QStringLiteral("Times New Roman");
    else if (face == QLatin1String("Helvetica"))
        face = QStringLiteral("Arial");
    else if (face == QLatin1String("Courier"))
        face = QStringLiteral("Courier New");
    // The face the program chooses for this name, the same on screen and on paper.
    QFont font(resolveFontFamily(face.isEmpty() ? QStringLiteral("Arial") : face));
    font.setWeight(QFont::Weight(std::clamp(lf.weight > 0 ? lf.weight : 400, 1, 1000)));
    if (bold && lf.weight < 600)
        font.setWeight(QFont::Bold);
    font.setItalic(italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);
    font.setKerning(false);
    if (lf.height < 0) {
        emHeight = -double(lf.height);
    } else if (lf.height > 0) {
        // Positive heights are cell heights (ascent + descent), not the em.
        font.setPixelSize(100);
        const QFontMetricsF fm(font);
        const double cell = fm.ascent() + fm.descent();
        emHeight = cell > 0 ? lf.height * 100.0 / cell : lf.height;
    } else {
        const double s = deviceScale();
        emHeight = s > 0 ? 16.0 / s : 16.0;
    }
    return font;
}

void Renderer::text(QPointF reference, const QString &string, const QVector<double> &dx,
                    unsigned options, const QRectF &clipRect)
{
    if (nothingToDraw() || m_pathOpen)
        return;
    if (m_measure) {
        // Generously: the text may run either way from the reference point, at
        // most about a font height per character.
        const double h = m_state.font.height != 0 ? std::fabs(double(m_state.font.height)) : 1.0;
        double run = h * 0.6 * double(string.size());
        if (dx.size() >= string.size()) {
            run = 0;
            for (qsizetype i = 0; i < string.size(); ++i)
                run += std::fabs(dx[i]);
        }
        const unsigned align = m_state.textAlign & 6;
        const double left = align == 6 ? run / 2 : align == 2 ? run : 0;
        measured(QRectF(reference.x() - left - h / 2, reference.y() - h, run + h, 2 * h));
        return;
    }
    applyTransform();
    const DcState &s = m_state;
    const bool updateCp = s.textAlign & 1;
    if (updateCp)
        reference = s.position;

    if (options & 0x2) // ETO_OPAQUE
        m_painter.fillRect(clipRect.normalized(), rop2Color(s.bkColor));
    if (string.isEmpty())
        return;

    double em = 0;
    QFont font = makeFont(em);
    const QTransform full = m_logical * m_deviceToTarget * m_base;
    const double outScale = scaleOf(full);
    if (!(em > 0) || !(outScale > 0) || !std::isfinite(em * outScale))
        return;
    const int pixels = int(std::lround(std::clamp(em * outScale, 1.0, double(kMaxFontPixels))));
    font.setPixelSize(pixels);
    if (s.font.width > 0) {
        // A given average character width stretches or narrows the face.
        const QFontMetricsF fm(font);
        const double natural = fm.averageCharWidth();
        const double wanted = double(s.font.width) * pixels / em;
        if (natural > 0) {
            const int stretch = int(std::lround(std::clamp(wanted / natural * 100, 1.0, 4000.0)));
            if (std::abs(stretch - 100) > 3)
                font.setStretch(stretch);
        }
    }
    const double k = em / pixels; // logical units per font pixel
    const QFontMetricsF fm(font);

    double total = 0;
    const bool useDx = dx.size() >= string.size();
    if (useDx) {
        for (qsizetype i = 0; i < string.size(); ++i)
            total += dx[i];
        total /= k;
    } else {
        total = fm.horizontalAdvance(string);
    }
    if (!std::isfinite(total))
        return;

    double x = 0;
    if ((s.textAlign & 6) == 6)
        x = -total / 2;
    else if (s.textAlign & 2)
        x = -total;
    double y = 0;
    if ((s.textAlign & 24) == 24)
        y = 0;
    else if (s.textAlign & 8)
        y = -fm.descent();
    else
        y = fm.ascent();

    m_painter.save();
    if (options & 0x4) // ETO_CLIPPED
        m_painter.setClipRect(clipRect.normalized(), Qt::IntersectClip);
    m_painter.translate(reference);
    if (m_logical.determinant() < 0)
        m_painter.scale(1, -1); // y grows upwards in the logical space; keep glyphs upright
    m_painter.rotate(-double(s.font.escapement) / 10.0); // the file may hold INT_MIN
    m_painter.scale(k, k);
    if (s.bkOpaque)
        m_painter.fillRect(QRectF(x, y - fm.ascent(), total, fm.ascent() + fm.descent()), rop2Color(s.bkColor));
    m_painter.setFont(font);
    m_painter.setPen(rop2Color(s.textColor));
    // The glyph cache renders each glyph as a bitmap in device space. A file can
    // ask for a stretch that makes that bitmap enormous or degenerate; such text
    // is filled as outlines, which the rasteriser clips. Vector devices keep text.
    bool asOutlines = false;
    if (m_painter.paintEngine() && m_painter.paintEngine()->type() == QPaintEngine::Raster) {
        const QTransform t = m_painter.transform();
        const double a = t.m11(), b = t.m12(), c = t.m21(), d = t.m22();
        const double tr = a * a + b * b + c * c + d * d;
        const double det = std::fabs(a * d - b * c);
        const double disc = std::sqrt(std::max(0.0, tr * tr / 4 - det * det));
        const double s1 = std::sqrt(std::max(0.0, tr / 2 + disc));
        const double s2 = det / (s1 > 0 ? s1 : 1);
        if (!(s2 > 0) || s1 * pixels > 512 || s1 / s2 > 16 || !std::isfinite(s1))
            asOutlines = true;
        if (!(s2 > 0) || !std::isfinite(s1)) {
            m_painter.restore();
            m_transformDirty = m_penDirty = m_brushDirty = true;
            return;
        }
    }
    const QColor textColor = rop2Color(s.textColor);
    auto drawRun = [&](QPointF at, const QString &run) {
        if (!asOutlines) {
            m_painter.drawText(at, run);
            return;
        }
        QPainterPath outline;
        outline.addText(at, font, run);
        m_painter.fillPath(outline, textColor);
    };
    if (!useDx) {
        drawRun(QPointF(x, y), string);
    } else {
        double pos = x;
        for (qsizetype i = 0; i < string.size(); ++i) {
            qsizetype len = 1;
            if (string[i].isHighSurrogate() && i + 1 < string.size() && string[i + 1].isLowSurrogate())
                len = 2;
            const QString glyph = string.mid(i, len);
            // Spaces only matter when they carry an underline or strike-out.
            if (!glyph[0].isSpace() || s.font.underline || s.font.strikeOut)
                drawRun(QPointF(pos, y), glyph);
            for (qsizetype j = 0; j < len; ++j)
                pos += dx[i + j] / k;
            i += len - 1;
        }
    }
    m_painter.restore();
    m_transformDirty = m_penDirty = m_brushDirty = true;
    if (updateCp)
        m_state.position = reference + QPointF(total * k, 0);
}

// ---- bitmaps -----------------------------------------------------------------

void Renderer::drawImage(const QRectF &dest, const QImage &image, const QRectF &source, std::uint32_t rop)
{
    if (image.isNull() || m_pathOpen || measured(dest))
        return;
    switch (rop) {
    case 0x00AA0029: // D: nothing
        return;
    case 0x00550009: // DSTINVERT: meaningless on paper
        return;
    case 0x00000042:
    case 0x00FF0062:
    case 0x00F00021:
        patBlt(dest, rop);
        return;
    default:
        break;
    }
    applyTransform();
    QRectF d = dest;
    QImage img = image;
    const bool flipX = d.width() < 0, flipY = d.height() < 0;
    if (flipX || flipY) {
        img = img.mirrored(flipX, flipY);
        d = d.normalized();
    }
    QRectF src = source.normalized();
    if (!(src.width() > 0) || !(src.height() > 0))
        src = QRectF(img.rect());
    if (flipX)
        src.moveLeft(img.width() - src.right());
    if (flipY)
        src.moveTop(img.height() - src.bottom());
    // Only the part of the source inside the image, the destination cut to match.
    const QRectF inImage = src.intersected(QRectF(img.rect()));
    if (inImage.isEmpty() || d.isEmpty())
        return;
    if (inImage != src) {
        const double kx = d.width() / src.width(), ky = d.height() / src.height();
        d = QRectF(d.left() + (inImage.left() - src.left()) * kx, d.top() + (inImage.top() - src.top()) * ky,
                   inImage.width() * kx, inImage.height() * ky);
        src = inImage;
    }
    // Qt's image scaling breaks down at absurd scales. Such an image is either
    // invisible, or larger than any page and then only its visible part is drawn.
    const QTransform full = m_painter.transform();
    const QRectF out = full.mapRect(d);
    if (!std::isfinite(out.left()) || !std::isfinite(out.top()) || !std::isfinite(out.width())
        || !std::isfinite(out.height()) || out.width() < 0.05 || out.height() < 0.05)
        return;
    if (out.width() > 1e5 || out.height() > 1e5) {
        bool ok = false;
        const QTransform back = full.inverted(&ok);
        if (!ok || full.type() > QTransform::TxScale)
            return;
        const QRectF visible = out.intersected(m_base.mapRect(m_target).adjusted(-2, -2, 2, 2));
        const QRectF part = back.mapRect(visible).intersected(d);
        if (part.isEmpty())
            return;
        const double kx = src.width() / d.width(), ky = src.height() / d.height();
        src = QRectF(src.left() + (part.left() - d.left()) * kx, src.top() + (part.top() - d.top()) * ky,
                     part.width() * kx, part.height() * ky);
        d = part;
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (rop == 0x008800C6) // SRCAND
        mode = QPainter::CompositionMode_Multiply;
    else if (rop == 0x00EE0086) // SRCPAINT
        mode = QPainter::CompositionMode_Lighten;
    else if (rop == 0x00330008) // NOTSRCCOPY
        img.invertPixels();
    if (mode != QPainter::CompositionMode_SourceOver)
        m_painter.setCompositionMode(mode);
    m_painter.drawImage(d, img, src);
    if (mode != QPainter::CompositionMode_SourceOver)
        m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Renderer::blit(const QRectF &dest, const QImage &image, const QRectF &source, std::uint32_t rop)
{
    constexpr std::uint32_t kSrcAnd = 0x008800C6, kSrcPaint = 0x00EE0086;
    if (rop == kSrcPaint) {
        flushMaskedBitmap();
        m_pendingMask = {true, dest, source, image};
        return;
    }
    if (rop == kSrcAnd && m_pendingMask.valid && m_pendingMask.dest == dest) {
        // (D | mask) & colour: where the mask is white the colour replaces what is
        // below, where it is black nothing changes; grey blends. So the mask's
        // brightness is the opacity. Paper has no raster operations: use alpha.
        m_pendingMask.valid = false;
        QImage mask = m_pendingMask.image;
        QImage colour = image.convertToFormat(QImage::Format_ARGB32);
        if (mask.size() != colour.size())
            mask = mask.scaled(colour.size());
        mask = mask.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < colour.height(); ++y) {
            QRgb *c = reinterpret_cast<QRgb *>(colour.scanLine(y));
            const QRgb *m = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
            for (int x = 0; x < colour.width(); ++x)
                c[x] = qRgba(qRed(c[x]), qGreen(c[x]), qBlue(c[x]), qGray(m[x]));
        }
        m_pendingMask.image = QImage();
        drawImage(dest, colour, source, 0x00CC0020);
        return;
    }
    flushMaskedBitmap();
    drawImage(dest, image, source, rop);
}

void Renderer::flushMaskedBitmap()
{
    if (!m_pendingMask.valid)
        return;
    m_pendingMask.valid = false;
    drawImage(m_pendingMask.dest, m_pendingMask.image, m_pendingMask.source, 0x00EE0086);
    m_pendingMask.image = QImage();
}

void Renderer::patBlt(const QRectF &dest, std::uint32_t rop)
{
    if (m_pathOpen || measured(dest))
        return;
    switch (rop) {
    case 0x00000042: fillRect(dest, Qt::black); break;
    case 0x00FF0062: fillRect(dest, Qt::white); break;
    case 0x00F00021: {
        applyTransform();
        QPainterPath p;
        p.addRect(dest.normalized());
        fillWithBrush(p, m_state.brush);
        break;
    }
    default: break;
    }
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

void Renderer::selectClipPath(ClipMode mode)
{
    m_pathOpen = false;
    applyTransform();
    m_path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(m_logical.map(m_path), mode);
    m_path = QPainterPath();
}

// ---- clipping ----------------------------------------------------------------

void Renderer::combineClip(const QPainterPath &input, ClipMode mode)
{
    QPainterPath path = input;
    // Boolean operations on paths grow quickly with their size; a clip shape with
    // thousands of segments, or any clip after very many operations, is reduced
    // to its bounds rather than stalling playback.
    const bool approximate = ++m_clipOperations > kMaxClipOperations;
    if (approximate && m_state.clip && m_state.clip->elementCount() > 5) {
        const QRectF r = m_state.clip->boundingRect();
        m_state.clip = QPainterPath();
        m_state.clip->addRect(r);
    }
    if (path.elementCount() > kMaxClipElements || (approximate && path.elementCount() > 5)) {
        const QRectF r = path.boundingRect();
        path = QPainterPath();
        path.addRect(r);
    }
    std::optional<QPainterPath> &clip = m_state.clip;
    if (clip && clip->elementCount() > kMaxClipElements) {
        const QRectF r = clip->boundingRect();
        clip = QPainterPath();
        clip->addRect(r);
    }
    QPainterPath everything;
    everything.addRect(kEverything);
    switch (mode) {
    case ClipMode::Copy:
        clip = path;
        break;
    case ClipMode::And:
        clip = clip ? clip->intersected(path) : path;
        break;
    case ClipMode::Or:
        if (clip)
            clip = clip->united(path);
        break;
    case ClipMode::Diff:
        clip = (clip ? *clip : everything).subtracted(path);
        break;
    case ClipMode::Xor: {
        const QPainterPath a = clip ? *clip : everything;
        clip = a.subtracted(path).united(path.subtracted(a));
        break;
    }
    }
    m_clipDirty = true;
}

void Renderer::intersectClipRect(QRectF logical)
{
    applyTransform();
    QPainterPath p;
    p.addPolygon(m_logical.map(QPolygonF(logical.normalized())));
    p.closeSubpath();
    combineClip(p, ClipMode::And);
}

void Renderer::excludeClipRect(QRectF logical)
{
    applyTransform();
    QPainterPath p;
    p.addPolygon(m_logical.map(QPolygonF(logical.normalized())));
    p.closeSubpath();
    combineClip(p, ClipMode::Diff);
}

void Renderer::setClipRegion(const std::optional<QPainterPath> &device, ClipMode mode)
{
    if (!device) {
        if (mode == ClipMode::Copy) {
            m_state.clip.reset();
            m_clipDirty = true;
        }
        return;
    }
    combineClip(*device, mode);
}

void Renderer::selectLogicalClipRegion(const QPainterPath &logical)
{
    applyTransform();
    combineClip(m_logical.map(logical), ClipMode::Copy);
}

void Renderer::offsetClip(QPointF logicalOffset)
{
    if (!m_state.clip)
        return;
    applyTransform();
    const QPointF d = m_logical.map(logicalOffset) - m_logical.map(QPointF(0, 0));
    m_state.clip->translate(d);
    m_clipDirty = true;
}

} // namespace korvel::metafile
