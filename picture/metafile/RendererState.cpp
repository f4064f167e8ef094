#include "picture/metafile/Renderer.h"

#include "picture/metafile/RendererPrivate.h"

#include <QPen>

#include <algorithm>
#include <cmath>

namespace korvel::metafile {

namespace {

// Limits that keep a hostile file from making playback slow or memory-hungry.
constexpr std::size_t kMaxSavedStates = 4096;

} // namespace

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

} // namespace korvel::metafile
