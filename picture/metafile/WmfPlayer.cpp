#include "picture/metafile/WmfPlayer.h"

#include "picture/metafile/Dib.h"
#include "picture/metafile/EmfPlayer.h"
#include "picture/metafile/Renderer.h"

#include <QPainter>
#include <QRegion>

#include <cmath>

namespace korvel::metafile {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kWmfcIdentifier = 0x43464D57; // "WMFC"

enum MetaRecord : std::uint16_t {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104, META_SETPOLYFILLMODE = 0x0106, META_RESTOREDC = 0x0127,
    META_SELECTCLIPREGION = 0x012C, META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142, META_DELETEOBJECT = 0x01F0, META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201, META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C, META_OFFSETWINDOWORG = 0x020F, META_LINETO = 0x0213,
    META_MOVETO = 0x0214, META_OFFSETCLIPRGN = 0x0220, META_FILLREGION = 0x0228, META_FRAMEREGION = 0x0429,
    META_PAINTREGION = 0x012B, META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC, META_CREATEPALETTE = 0x00F7,
    META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_SCALEWINDOWEXT = 0x0410,
    META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D, META_ESCAPE = 0x0626, META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830, META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32, META_DIBSTRETCHBLT = 0x0B41, META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

QColor colorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Rectangles are stored bottom, right, top, left.
QRectF rectBRTL(const ByteReader &r, std::uint64_t off)
{
    return QRectF(QPointF(r.i16(off + 6), r.i16(off + 4)), QPointF(r.i16(off + 2), r.i16(off)));
}

// Points are stored y then x.
QPointF pointYX(const ByteReader &r, std::uint64_t off)
{
    return QPointF(r.i16(off + 2), r.i16(off));
}

// A region object: a header, then bands of equal height, each with pairs of x
// coordinates where the region starts and stops. Logical units.
QPainterPath regionOf(const ByteReader &rec)
{
    const int scans = rec.u16(16);
    std::uint64_t at = 28;
    QVector<QRect> rects;
    for (int i = 0; i < scans && rects.size() < 100000; ++i) {
        const std::uint16_t count = rec.u16(at);
        const int top = rec.i16(at + 2), bottom = rec.i16(at + 4);
        if (count % 2 || !rec.has(at, 6 + std::uint64_t(count) * 2 + 2))
            break;
        for (int k = 0; k + 1 < count; k += 2) {
            const int left = rec.i16(at + 6 + 2 * std::uint64_t(k)), right = rec.i16(at + 8 + 2 * std::uint64_t(k));
            if (right > left && bottom > top)
                rects.append(QRect(left, top, right - left, bottom - top));
        }
        at += 6 + std::uint64_t(count) * 2 + 2;
    }
    QPainterPath path;
    if (rects.isEmpty()) {
        // No scans: the bounds are the region.
        const int l = rec.i16(20), t = rec.i16(22), r = rec.i16(24), b = rec.i16(26);
        if (r > l && b > t)
            path.addRect(QRectF(QPointF(l, t), QPointF(r, b)));
        return path;
    }
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    path.addRegion(region);
    return path;
}

bool readPoints(const ByteReader &r, std::uint64_t off, std::uint64_t count, QPolygonF &out)
{
    if (!r.has(off, count * 4))
        return false;
    out.resize(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i)
        out[qsizetype(i)] = QPointF(r.i16(off + 4 * i), r.i16(off + 4 * i + 2));
    return true;
}

// Walks the records: calls f(function, record) for each until EOF or damage.
template <typename F>
void forEachRecord(const ByteReader &data, std::uint64_t offset, F &&f)
{
    while (offset + 6 <= data.size()) {
        const std::uint64_t bytes = std::uint64_t(data.u32(offset)) * 2;
        const std::uint16_t function = data.u16(offset + 4);
        if (bytes < 6 || !data.has(offset, bytes))
            return; // a zero or oversized length would loop or overrun: stop
        if (function == META_EOF)
            return;
        if (!f(function, data.sub(offset, bytes)))
            return;
        offset += bytes;
    }
}

class WmfPlayer {
public:
    WmfPlayer(const ByteReader &data, const WmfHeader &header, Renderer &r) : m_data(data), m_header(header), m_r(r) {}
    void play()
    {
        forEachRecord(m_data, m_header.recordsAt, [this](std::uint16_t f, const ByteReader &rec) {
            if (f != META_STRETCHDIB && f != META_DIBSTRETCHBLT)
                m_r.flushMaskedBitmap();
            record(f, rec);
            m_r.limitPath();
            return true;
        });
        m_r.flushMaskedBitmap();
    }

private:
    void record(std::uint16_t function, const ByteReader &rec);
    void textOut(const ByteReader &rec, bool extended);
    void bitmap(std::uint16_t function, const ByteReader &rec);

    ByteReader m_data;
    const WmfHeader &m_header;
    Renderer &m_r;
    QPolygonF m_points;
    qint64 m_pixelBudget = kMaxBitmapPixelsPerPlayback;
};

void WmfPlayer::textOut(const ByteReader &rec, bool extended)
{
    QPointF ref;
    std::uint64_t stringAt;
    std::uint32_t length;
    unsigned options = 0;
    QRectF rect;
    if (extended) {
        ref = pointYX(rec, 6);
        length = rec.u16(10);
        options = rec.u16(12);
        stringAt = 14;
        if (options & 0x6) { // ETO_OPAQUE | ETO_CLIPPED: a rectangle precedes the string
            rect = QRectF(QPointF(rec.i16(14), rec.i16(16)), QPointF(rec.i16(18), rec.i16(20)));
            stringAt = 22;
        }
    } else {
        length = rec.u16(6);
        stringAt = 8;
        const std::uint64_t after = stringAt + ((length + 1) & ~1u);
        ref = pointYX(rec, after);
    }
    if (!rec.has(stringAt, length))
        return;
    const QByteArray bytes(reinterpret_cast<const char *>(rec.data() + stringAt), qsizetype(length));
    const QString text = Renderer::decodeText(bytes, m_r.state().font.charSet);
    QVector<double> dx;
    const std::uint64_t dxAt = stringAt + ((length + 1) & ~1u);
    if (extended && rec.has(dxAt, std::uint64_t(length) * 2) && text.size() == qsizetype(length)) {
        dx.resize(qsizetype(length));
        for (std::uint32_t i = 0; i < length; ++i)
            dx[qsizetype(i)] = rec.i16(dxAt + 2 * i);
    }
    m_r.text(ref, text, dx, options, rect);
}

void WmfPlayer::bitmap(std::uint16_t function, const ByteReader &rec)
{
    const std::uint32_t rop = rec.u32(6);
    // Records without a bitmap are one word longer than their function's low byte says.
    const bool withBitmap = rec.size() / 2 != std::uint64_t((function >> 8) + 3);
    QRectF dest, src;
    std::uint64_t dibAt = 0;
    switch (function) {
    case META_STRETCHDIB:
        src = QRectF(rec.i16(18), rec.i16(16), rec.i16(14), rec.i16(12));
        dest = QRectF(rec.i16(26), rec.i16(24), rec.i16(22), rec.i16(20));
        dibAt = 28;
        break;
    case META_DIBSTRETCHBLT:
        if (!withBitmap) {
            m_r.patBlt(QRectF(rec.i16(26), rec.i16(24), rec.i16(22), rec.i16(20)), rop);
            return;
        }
        src = QRectF(rec.i16(16), rec.i16(14), rec.i16(12), rec.i16(10));
        dest = QRectF(rec.i16(24), rec.i16(22), rec.i16(20), rec.i16(18));
        dibAt = 26;
        break;
    case META_DIBBITBLT:
        if (!withBitmap) {
            m_r.patBlt(QRectF(rec.i16(22), rec.i16(20), rec.i16(18), rec.i16(16)), rop);
            return;
        }
        dest = QRectF(rec.i16(20), rec.i16(18), rec.i16(16), rec.i16(14));
        src = QRectF(rec.i16(12), rec.i16(10), std::fabs(dest.width()), std::fabs(dest.height()));
        dibAt = 22;
        break;
    case META_SETDIBTODEV:
        dest = QRectF(rec.i16(22), rec.i16(20), rec.i16(18), rec.i16(16));
        src = QRectF(rec.i16(14), rec.i16(12), rec.i16(18), rec.i16(16));
        dibAt = 24;
        break;
    default:
        return;
    }
    if (dibAt >= rec.size())
        return;
    if (m_pixelBudget <= 0)
        return;
    const ByteReader dib = rec.sub(dibAt, rec.size() - dibAt);
    const QImage image = decodePackedDib(dib);
    m_pixelBudget -= qint64(image.width()) * image.height();
    if (image.isNull())
        return;
    const bool bottomUp = dib.u32(0) == 12 ? dib.i16(6) > 0 : dib.i32(8) > 0;
    if (bottomUp)
        src.moveTop(image.height() - src.top() - src.height());
    m_r.blit(dest, image, src, function == META_SETDIBTODEV ? 0x00CC0020 : rop);
}

void WmfPlayer::record(std::uint16_t function, const ByteReader &rec)
{
    DcState &s = m_r.state();
    switch (function) {
    case META_SAVEDC: m_r.saveDc(); break;
    case META_RESTOREDC: m_r.restoreDc(rec.i16(6)); break;
    case META_SETBKMODE: s.bkOpaque = rec.u16(6) == 2; m_r.brushChanged(); break;
    case META_SETMAPMODE: break; // the window always maps onto the frame
    case META_SETROP2: m_r.setRop2(rec.u16(6)); break;
    case META_SETPOLYFILLMODE: s.winding = rec.u16(6) == 2; break;
    case META_SETTEXTALIGN: s.textAlign = rec.u16(6); break;
    case META_SETBKCOLOR: s.bkColor = colorRef(rec.u32(6)); m_r.brushChanged(); break;
    case META_SETTEXTCOLOR: s.textColor = colorRef(rec.u32(6)); m_r.brushChanged(); break;
    case META_SETWINDOWORG: s.windowOrg = pointYX(rec, 6); m_r.mappingChanged(); break;
    case META_SETWINDOWEXT:
        s.windowExt = QSizeF(rec.i16(8), rec.i16(6));
        s.windowExtSet = true;
        m_r.mappingChanged();
        break;
    case META_OFFSETWINDOWORG: s.windowOrg += pointYX(rec, 6); m_r.mappingChanged(); break;
    case META_SCALEWINDOWEXT: {
        const double yd = rec.i16(6), yn = rec.i16(8), xd = rec.i16(10), xn = rec.i16(12);
        if (xd != 0 && yd != 0) {
            s.windowExt = QSizeF(s.windowExt.width() * xn / xd, s.windowExt.height() * yn / yd);
            m_r.mappingChanged();
        }
        break;
    }
    case META_MOVETO: m_r.moveTo(pointYX(rec, 6)); break;
    case META_LINETO: m_r.lineTo(pointYX(rec, 6)); break;
    case META_POLYGON:
    case META_POLYLINE:
        if (!readPoints(rec, 8, rec.u16(6), m_points))
            return;
        if (function == META_POLYGON)
            m_r.polygon(m_points);
        else
            m_r.polyline(m_points);
        break;
    case META_POLYPOLYGON: {
        const std::uint32_t n = rec.u16(6);
        if (!rec.has(8, std::uint64_t(n) * 2))
            return;
        std::uint64_t total = 0;
        for (std::uint32_t i = 0; i < n; ++i)
            total += rec.u16(8 + 2 * i);
        if (!readPoints(rec, 8 + std::uint64_t(n) * 2, total, m_points))
            return;
        std::vector<QPolygonF> list;
        list.reserve(n);
        qsizetype at = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            const qsizetype count = rec.u16(8 + 2 * i);
            list.push_back(m_points.mid(at, count));
            at += count;
        }
        m_r.polyPolygon(list);
        break;
    }
    case META_RECTANGLE: m_r.rectangle(rectBRTL(rec, 6)); break;
    case META_ELLIPSE: m_r.ellipse(rectBRTL(rec, 6)); break;
    case META_ROUNDRECT: m_r.roundRect(rectBRTL(rec, 10), QSizeF(rec.i16(8), rec.i16(6))); break;
    case META_ARC: case META_PIE: case META_CHORD:
        m_r.arc(rectBRTL(rec, 14), pointYX(rec, 10), pointYX(rec, 6),
                function == META_ARC ? Renderer::ArcKind::Arc
                : function == META_PIE ? Renderer::ArcKind::Pie : Renderer::ArcKind::Chord);
        break;
    case META_SETPIXEL: m_r.setPixel(pointYX(rec, 10), colorRef(rec.u32(6))); break;
    case META_INTERSECTCLIPRECT: m_r.intersectClipRect(rectBRTL(rec, 6)); break;
    case META_EXCLUDECLIPRECT: m_r.excludeClipRect(rectBRTL(rec, 6)); break;
    case META_OFFSETCLIPRGN: m_r.offsetClip(pointYX(rec, 6)); break;
    case META_SELECTCLIPREGION: {
        const GdiObject *o = m_r.object(rec.u16(6));
        if (o && o->kind == GdiObject::Region)
            m_r.selectLogicalClipRegion(o->region);
        else
            m_r.setClipRegion(std::nullopt, ClipMode::Copy);
        break;
    }
    case META_FILLREGION: case META_FRAMEREGION: case META_PAINTREGION: {
        const GdiObject *region = m_r.object(rec.u16(6));
        if (!region || region->kind != GdiObject::Region)
            break;
        LogBrush brush = s.brush;
        if (function != META_PAINTREGION) {
            const GdiObject *b = m_r.object(rec.u16(8));
            if (!b || b->kind != GdiObject::Brush)
                break;
            brush = b->brush;
        }
        if (function == META_FRAMEREGION)
            m_r.frameLogicalRegion(region->region, brush, QSizeF(rec.i16(12), rec.i16(10)));
        else
            m_r.fillLogicalRegion(region->region, brush);
        break;
    }
    case META_SELECTOBJECT: m_r.selectObject(rec.u16(6)); break;
    case META_DELETEOBJECT: m_r.deleteObject(rec.u16(6)); break;
    case META_CREATEPENINDIRECT: {
        GdiObject o;
        o.kind = GdiObject::Pen;
        o.pen.style = rec.u16(6) & 0xFF0F;
        o.pen.width = std::abs(rec.i16(8));
        o.pen.cosmetic = o.pen.width == 0; // wider pens scale with the mapping
        o.pen.color = colorRef(rec.u32(12));
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        GdiObject o;
        o.kind = GdiObject::Brush;
        const int style = rec.u16(6);
        o.brush.color = colorRef(rec.u32(8));
        o.brush.style = style == 1 ? LogBrush::Null : style == 2 ? LogBrush::Hatched : LogBrush::Solid;
        o.brush.hatch = std::min<int>(rec.u16(12), 5);
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.style = LogBrush::Pattern;
        if (rec.size() > 10)
            o.brush.pattern = decodePackedDib(rec.sub(10, rec.size() - 10));
        if (qint64(o.brush.pattern.width()) * o.brush.pattern.height() > kMaxTilePixels)
            o.brush.pattern = QImage();
        if (o.brush.pattern.isNull()) {
            o.brush.style = LogBrush::Solid;
            o.brush.color = Qt::gray;
        } else {
            o.brush.pattern = o.brush.pattern.convertToFormat(QImage::Format_RGB32);
        }
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_CREATEPATTERNBRUSH: {
        // An old device-dependent bitmap: stands in as grey, but must take its slot.
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.color = Qt::gray;
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_CREATEPALETTE: {
        GdiObject o;
        o.kind = GdiObject::Other;
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_CREATEREGION: {
        GdiObject o;
        o.kind = GdiObject::Region;
        o.region = regionOf(rec);
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_CREATEFONTINDIRECT: {
        GdiObject o;
        o.kind = GdiObject::Font;
        LogFont &f = o.font;
        f.height = rec.i16(6);
        f.width = rec.i16(8);
        f.escapement = rec.i16(10);
        f.weight = rec.i16(14);
        f.italic = rec.u8(16);
        f.underline = rec.u8(17);
        f.strikeOut = rec.u8(18);
        f.charSet = rec.u8(19);
        QByteArray face;
        for (std::uint64_t i = 24; i < 24 + 32 && i < rec.size(); ++i) {
            const char c = char(rec.u8(i));
            if (!c)
                break;
            face.append(c);
        }
        f.face = Renderer::decodeText(face, f.charSet == 2 ? 0 : f.charSet);
        m_r.addObjectFirstFree(o);
        break;
    }
    case META_TEXTOUT: textOut(rec, false); break;
    case META_EXTTEXTOUT: textOut(rec, true); break;
    case META_PATBLT:
        m_r.patBlt(QRectF(rec.i16(16), rec.i16(14), rec.i16(12), rec.i16(10)), rec.u32(6));
        break;
    case META_STRETCHDIB: case META_DIBSTRETCHBLT: case META_DIBBITBLT: case META_SETDIBTODEV:
        bitmap(function, rec);
        break;
    default:
        break;
    }
}

} // namespace

bool readWmfHeader(const ByteReader &data, WmfHeader &h, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    std::uint64_t at = 0;
    if (data.u32(0) == kPlaceableKey) {
        if (!data.has(0, 22))
            return fail(QStringLiteral("Hlavička metasouboru je poškozená"));
        h.placeable = true;
        const double l = data.i16(6), t = data.i16(8), r = data.i16(10), b = data.i16(12);
        h.frame = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
        h.unitsPerInch = data.u16(14);
        at = 22;
    }
    const std::uint16_t type = data.u16(at), headerWords = data.u16(at + 2), version = data.u16(at + 4);
    if (!data.has(at, 18) || (type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return fail(h.placeable ? QStringLiteral("Hlavička metasouboru je poškozená")
                                : QStringLiteral("Soubor není metasoubor (EMF ani WMF)"));
    h.objects = data.u16(at + 10);
    h.recordsAt = at + 18;

    // One pass for what the header does not say: the window of a non-placeable
    // file, and an EMF that a writer may have carried along in comment records.
    bool haveOrg = false, haveExt = false;
    QPointF org;
    QSizeF ext;
    QByteArray emf;
    std::uint64_t emfTotal = 0;
    bool emfBroken = false;
    forEachRecord(data, h.recordsAt, [&](std::uint16_t f, const ByteReader &rec) {
        if (f == META_SETWINDOWORG && !haveOrg) {
            org = pointYX(rec, 6);
            haveOrg = true;
        } else if (f == META_SETWINDOWEXT && !haveExt) {
            ext = QSizeF(rec.i16(8), rec.i16(6));
            haveExt = true;
        } else if (f == META_ESCAPE && rec.u16(6) == 0x000F && rec.u32(10) == kWmfcIdentifier && !emfBroken) {
            const std::uint32_t chunk = rec.u32(32);
            const std::uint32_t total = rec.u32(40);
            if (rec.u32(14) != 1 || !rec.has(44, chunk) || total > data.size()
                || (emfTotal && total != emfTotal) || std::uint64_t(emf.size()) + chunk > total) {
                emfBroken = true;
            } else {
                emfTotal = total;
                emf.append(reinterpret_cast<const char *>(rec.data() + 44), qsizetype(chunk));
            }
        }
        return true;
    });
    if (!emfBroken && emfTotal && std::uint64_t(emf.size()) == emfTotal) {
        EmfHeader eh;
        if (readEmfHeader(ByteReader(reinterpret_cast<const unsigned char *>(emf.constData()), std::size_t(emf.size())), eh, nullptr))
            h.embeddedEmf = emf;
    }
    if (!h.placeable) {
        if (!haveExt || ext.width() == 0 || ext.height() == 0)
            return fail(QStringLiteral("Metasoubor neudává svou velikost"));
        h.frame = QRectF(org, ext).normalized();
    }
    if (h.frame.isEmpty())
        return fail(QStringLiteral("Metasoubor má prázdný rámec obrázku"));
    return true;
}

void playWmf(const ByteReader &data, const WmfHeader &h, QPainter &painter, const QRectF &target)
{
    if (!h.embeddedEmf.isEmpty()) {
        // The EMF copy is the richer drawing of the same picture.
        playEmf(ByteReader(reinterpret_cast<const unsigned char *>(h.embeddedEmf.constData()),
                           std::size_t(h.embeddedEmf.size())), painter, target);
        return;
    }
    const QTransform deviceToTarget = QTransform::fromTranslate(-h.frame.left(), -h.frame.top())
        * QTransform::fromScale(target.width() / h.frame.width(), target.height() / h.frame.height())
        * QTransform::fromTranslate(target.left(), target.top());
    const double pxPerMm = h.unitsPerInch > 0 ? h.unitsPerInch / 25.4 : 96 / 25.4;
    Renderer renderer(painter, target, deviceToTarget, QSizeF(pxPerMm, pxPerMm), std::max(h.objects, 1));
    renderer.setWindowMapsToFrame(h.frame);
    // Until the file sets its own window, logical units are the frame's units.
    renderer.state().windowOrg = h.frame.topLeft();
    renderer.state().windowExt = h.frame.size();
    renderer.state().windowExtSet = true;
    WmfPlayer player(data, h, renderer);
    player.play();
}

} // namespace korvel::metafile
