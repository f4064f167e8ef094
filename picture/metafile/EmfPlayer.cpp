#include "picture/metafile/EmfPlayer.h"

#include "picture/metafile/Dib.h"
#include "picture/metafile/Renderer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRegion>

#include <cmath>

namespace korvel::metafile {

namespace {

enum Emr : std::uint32_t {
    HEADER = 1, POLYBEZIER = 2, POLYGON = 3, POLYLINE = 4, POLYBEZIERTO = 5, POLYLINETO = 6,
    POLYPOLYLINE = 7, POLYPOLYGON = 8, SETWINDOWEXTEX = 9, SETWINDOWORGEX = 10,
    SETVIEWPORTEXTEX = 11, SETVIEWPORTORGEX = 12, SETBRUSHORGEX = 13, EOF_ = 14, SETPIXELV = 15,
    SETMAPPERFLAGS = 16, SETMAPMODE = 17, SETBKMODE = 18, SETPOLYFILLMODE = 19, SETROP2 = 20,
    SETSTRETCHBLTMODE = 21, SETTEXTALIGN = 22, SETTEXTCOLOR = 24, SETBKCOLOR = 25,
    OFFSETCLIPRGN = 26, MOVETOEX = 27, EXCLUDECLIPRECT = 29, INTERSECTCLIPRECT = 30,
    SCALEVIEWPORTEXTEX = 31, SCALEWINDOWEXTEX = 32, SAVEDC = 33, RESTOREDC = 34,
    SETWORLDTRANSFORM = 35, MODIFYWORLDTRANSFORM = 36, SELECTOBJECT = 37, CREATEPEN = 38,
    CREATEBRUSHINDIRECT = 39, DELETEOBJECT = 40, ANGLEARC = 41, ELLIPSE = 42, RECTANGLE = 43,
    ROUNDRECT = 44, ARC = 45, CHORD = 46, PIE = 47, LINETO = 54, ARCTO = 55, POLYDRAW = 56,
    SETARCDIRECTION = 57, SETMITERLIMIT = 58, BEGINPATH = 59, ENDPATH = 60, CLOSEFIGURE = 61,
    FILLPATH = 62, STROKEANDFILLPATH = 63, STROKEPATH = 64, FLATTENPATH = 65, WIDENPATH = 66,
    SELECTCLIPPATH = 67, ABORTPATH = 68, GDICOMMENT = 70, FILLRGN = 71, FRAMERGN = 72,
    PAINTRGN = 74, EXTSELECTCLIPRGN = 75, BITBLT = 76, STRETCHBLT = 77, SETDIBITSTODEVICE = 80,
    STRETCHDIBITS = 81, EXTCREATEFONTINDIRECTW = 82, EXTTEXTOUTA = 83, EXTTEXTOUTW = 84,
    POLYBEZIER16 = 85, POLYGON16 = 86, POLYLINE16 = 87, POLYBEZIERTO16 = 88, POLYLINETO16 = 89,
    POLYPOLYLINE16 = 90, POLYPOLYGON16 = 91, POLYDRAW16 = 92, CREATEMONOBRUSH = 93,
    CREATEDIBPATTERNBRUSHPT = 94, EXTCREATEPEN = 95, ALPHABLEND = 114, TRANSPARENTBLT = 116,
    GRADIENTFILL = 118,
};

constexpr std::uint32_t kMaxPolygons = 1u << 20;

QColor colorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QRectF rectL(const ByteReader &r, std::uint64_t off)
{
    const double l = r.i32(off), t = r.i32(off + 4), ri = r.i32(off + 8), b = r.i32(off + 12);
    return QRectF(QPointF(l, t), QPointF(ri, b));
}

QPointF pointL(const ByteReader &r, std::uint64_t off)
{
    return QPointF(r.i32(off), r.i32(off + 4));
}

// count points of 8 (32-bit) or 4 (16-bit) bytes starting at off; false if they
// do not fit the record.
bool readPoints(const ByteReader &r, std::uint64_t off, std::uint64_t count, bool small, QPolygonF &out)
{
    const std::uint64_t each = small ? 4 : 8;
    if (count > std::uint64_t(Renderer::kMaxPoints) || !r.has(off, count * each))
        return false;
    out.resize(qsizetype(count));
    const unsigned char *p = r.data() + off;
    for (std::uint64_t i = 0; i < count; ++i, p += each) {
        if (small) {
            out[qsizetype(i)] = QPointF(std::int16_t(p[0] | (p[1] << 8)), std::int16_t(p[2] | (p[3] << 8)));
        } else {
            const std::int32_t x = std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
            const std::int32_t y = std::int32_t(std::uint32_t(p[4]) | (std::uint32_t(p[5]) << 8) | (std::uint32_t(p[6]) << 16) | (std::uint32_t(p[7]) << 24));
            out[qsizetype(i)] = QPointF(x, y);
        }
    }
    return true;
}

QTransform xform(const ByteReader &r, std::uint64_t off)
{
    return QTransform(r.f32(off), r.f32(off + 4), r.f32(off + 8), r.f32(off + 12), r.f32(off + 16), r.f32(off + 20));
}

bool finite(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22())
        && std::isfinite(t.dx()) && std::isfinite(t.dy()) && std::fabs(t.determinant()) > 1e-12;
}

// A region as RGNDATA: header then rectangles in device units.
std::optional<QPainterPath> regionPath(const ByteReader &rgn)
{
    if (!rgn.has(0, 32))
        return std::nullopt;
    const std::uint32_t headerSize = rgn.u32(0);
    const std::uint32_t count = rgn.u32(8);
    const std::uint64_t start = headerSize >= 32 && headerSize < 1024 ? headerSize : 32;
    if (!rgn.has(start, std::uint64_t(count) * 16))
        return std::nullopt;
    QRegion region;
    QVector<QRect> rects;
    rects.reserve(qsizetype(std::min<std::uint32_t>(count, 100000)));
    for (std::uint32_t i = 0; i < count && i < 100000; ++i) {
        const std::uint64_t o = start + std::uint64_t(i) * 16;
        const qint64 l = rgn.i32(o), t = rgn.i32(o + 4), r = rgn.i32(o + 8), b = rgn.i32(o + 12);
        if (r > l && b > t && r - l < (1 << 30) && b - t < (1 << 30))
            rects.append(QRect(int(l), int(t), int(r - l), int(b - t)));
    }
    region.setRects(rects.constData(), int(rects.size()));
    QPainterPath path;
    path.addRegion(region);
    return path;
}

class EmfPlayer {
public:
    EmfPlayer(const ByteReader &data, Renderer &r) : m_data(data), m_r(r) {}
    void play();

private:
    void record(std::uint32_t type, const ByteReader &rec);
    void polyPoly(const ByteReader &rec, bool small, bool closed);
    void createPen(const ByteReader &rec);
    void extCreatePen(const ByteReader &rec);
    void createBrush(const ByteReader &rec);
    void createDibBrush(const ByteReader &rec, bool mono);
    void createFont(const ByteReader &rec);
    void textOut(const ByteReader &rec, bool wide);
    void stretchDibits(const ByteReader &rec);
    void bitBlt(const ByteReader &rec, std::uint32_t type);
    void setDibitsToDevice(const ByteReader &rec);
    void gradientFill(const ByteReader &rec);
    bool xorClipFollows();
    QImage bitmap(const ByteReader &rec, std::uint64_t offBmiField, bool premultiplied, bool *bottomUp = nullptr);

    ByteReader m_data;
    Renderer &m_r;
    QPolygonF m_points;
    std::uint64_t m_next = 0;       // offset of the record after the current one
    std::uint64_t m_scanBudget = 0; // records the XOR look-ahead may still read
    qint64 m_pixelBudget = kMaxBitmapPixelsPerPlayback;
};

QImage EmfPlayer::bitmap(const ByteReader &rec, std::uint64_t off, bool premultiplied, bool *bottomUp)
{
    const std::uint32_t offBmi = rec.u32(off), cbBmi = rec.u32(off + 4);
    const std::uint32_t offBits = rec.u32(off + 8), cbBits = rec.u32(off + 12);
    if (cbBmi == 0 || !rec.has(offBmi, cbBmi) || !rec.has(offBits, cbBits) || m_pixelBudget <= 0)
        return QImage();
    const ByteReader info = rec.sub(offBmi, cbBmi);
    if (bottomUp)
        *bottomUp = info.u32(0) == 12 ? info.i16(6) > 0 : info.i32(8) > 0;
    if (m_r.measuring()) {
        // Only where it goes matters, not what it shows.
        QImage stand(1, 1, QImage::Format_RGB32);
        stand.fill(Qt::black);
        return stand;
    }
    QImage image = decodeDib(info, rec.sub(offBits, cbBits), premultiplied);
    m_pixelBudget -= qint64(image.width()) * image.height();
    return image;
}

// The XOR clipping idiom: XOR pass, SETROP2 R2_COPYPEN, a few records drawing
// the clip shape, SETROP2 R2_XORPEN, second pass. Looked for ahead so that XOR
// used any other way is drawn, not mistaken for it; the look-ahead reads at most
// a few times the file's records in total.
bool EmfPlayer::xorClipFollows()
{
    std::uint64_t offset = m_next;
    bool copySeen = false;
    int sinceCopy = 0;
    while (offset + 8 <= m_data.size() && m_scanBudget > 0) {
        --m_scanBudget;
        const std::uint32_t type = m_data.u32(offset);
        const std::uint32_t length = m_data.u32(offset + 4);
        if (length < 8 || !m_data.has(offset, length) || type == EOF_)
            return false;
        if (type == SETROP2) {
            const std::uint32_t rop = m_data.u32(offset + 8);
            if (!copySeen) {
                if (rop == 13)
                    copySeen = true;
                else if (rop != 7)
                    return false;
            } else {
                return rop == 7;
            }
        } else if (copySeen) {
            if (++sinceCopy > 100 || type == EXTTEXTOUTW || type == EXTTEXTOUTA || type == STRETCHDIBITS
                || type == BITBLT || type == STRETCHBLT)
                return false;
        }
        offset += length;
    }
    return false;
}

void EmfPlayer::play()
{
    std::uint64_t offset = 0;
    const std::uint64_t size = m_data.size();
    m_scanBudget = 4 * (size / 8) + 1000;
    while (offset + 8 <= size) {
        const std::uint32_t type = m_data.u32(offset);
        const std::uint32_t length = m_data.u32(offset + 4);
        if (length < 8 || length % 4 != 0 || !m_data.has(offset, length))
            break; // a record that does not fit cannot be skipped reliably: stop here
        if (type == EOF_)
            break;
        const ByteReader rec = m_data.sub(offset, length);
        m_next = offset + length;
        if (type != STRETCHDIBITS)
            m_r.flushMaskedBitmap();
        record(type, rec);
        m_r.limitPath();
        offset += length;
    }
    m_r.flushMaskedBitmap();
}

void EmfPlayer::polyPoly(const ByteReader &rec, bool small, bool closed)
{
    const std::uint32_t polys = rec.u32(24);
    const std::uint32_t total = rec.u32(28);
    if (polys > kMaxPolygons || !rec.has(32, std::uint64_t(polys) * 4))
        return;
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < polys; ++i)
        sum += rec.u32(32 + 4 * std::uint64_t(i));
    if (sum != total)
        return;
    const std::uint64_t pointsAt = 32 + std::uint64_t(polys) * 4;
    if (!readPoints(rec, pointsAt, total, small, m_points))
        return;
    std::vector<QPolygonF> list;
    list.reserve(polys);
    qsizetype at = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const qsizetype n = qsizetype(rec.u32(32 + 4 * std::uint64_t(i)));
        list.push_back(m_points.mid(at, n));
        at += n;
    }
    if (closed)
        m_r.polyPolygon(list);
    else
        m_r.polyPolyline(list);
}

void EmfPlayer::createPen(const ByteReader &rec)
{
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = int(rec.u32(12) & 0xF);
    o.pen.width = std::fabs(double(rec.i32(16)));
    o.pen.cosmetic = o.pen.width == 0; // wider pens scale with the mapping
    o.pen.color = colorRef(rec.u32(24));
    m_r.setObject(rec.u32(8), o);
}

void EmfPlayer::extCreatePen(const ByteReader &rec)
{
    GdiObject o;
    o.kind = GdiObject::Pen;
    const std::uint32_t style = rec.u32(28);
    o.pen.style = int(style);
    o.pen.cosmetic = (style & 0xF0000) == 0;
    o.pen.width = o.pen.cosmetic ? 0 : double(rec.u32(32) & 0x7FFFFFFF);
    const std::uint32_t brushStyle = rec.u32(36);
    o.pen.color = colorRef(rec.u32(40));
    if (brushStyle == 1) // BS_NULL
        o.pen.style = (o.pen.style & ~0xF) | 5;
    const std::uint32_t entries = rec.u32(48);
    if ((style & 0xF) == 7 && entries > 0 && entries <= 16 && rec.has(52, std::uint64_t(entries) * 4)) {
        for (std::uint32_t i = 0; i < entries; ++i)
            o.pen.userDashes.append(double(rec.u32(52 + 4 * i)));
    }
    m_r.setObject(rec.u32(8), o);
}

void EmfPlayer::createBrush(const ByteReader &rec)
{
    GdiObject o;
    o.kind = GdiObject::Brush;
    const std::uint32_t style = rec.u32(12);
    o.brush.color = colorRef(rec.u32(16));
    switch (style) {
    case 1: o.brush.style = LogBrush::Null; break;
    case 2:
        o.brush.style = LogBrush::Hatched;
        o.brush.hatch = int(std::min<std::uint32_t>(rec.u32(20), 5));
        break;
    default: o.brush.style = LogBrush::Solid; break;
    }
    m_r.setObject(rec.u32(8), o);
}

void EmfPlayer::createDibBrush(const ByteReader &rec, bool mono)
{
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = mono ? LogBrush::MonoPattern : LogBrush::Pattern;
    o.brush.pattern = bitmap(rec, 16, false);
    // A brush tile stays in memory with its object; real tiles are small.
    if (qint64(o.brush.pattern.width()) * o.brush.pattern.height() > kMaxTilePixels)
        o.brush.pattern = QImage();
    if (o.brush.pattern.isNull()) {
        o.brush.style = LogBrush::Solid;
        o.brush.color = Qt::gray;
    } else if (!mono && o.brush.pattern.depth() == 1) {
        // A 1-bit DIB pattern draws with its own colour table.
        o.brush.pattern = o.brush.pattern.convertToFormat(QImage::Format_RGB32);
    }
    m_r.setObject(rec.u32(8), o);
}

void EmfPlayer::createFont(const ByteReader &rec)
{
    if (!rec.has(12, 92))
        return;
    GdiObject o;
    o.kind = GdiObject::Font;
    LogFont &f = o.font;
    f.height = rec.i32(12);
    f.width = rec.i32(16);
    f.escapement = rec.i32(20);
    f.weight = rec.i32(28);
    f.italic = rec.u8(32);
    f.underline = rec.u8(33);
    f.strikeOut = rec.u8(34);
    f.charSet = rec.u8(35);
    QString face;
    for (int i = 0; i < 32; ++i) {
        const char16_t c = rec.u16(40 + 2 * i);
        if (!c)
            break;
        face.append(QChar(c));
    }
    f.face = face;
    m_r.setObject(rec.u32(8), o);
}

void EmfPlayer::textOut(const ByteReader &rec, bool wide)
{
    const QPointF ref = pointL(rec, 36);
    const std::uint32_t chars = rec.u32(44);
    const std::uint32_t offString = rec.u32(48);
    const std::uint32_t options = rec.u32(52);
    const QRectF rect = rectL(rec, 56);
    const std::uint32_t offDx = rec.u32(72);
    if (chars > (1u << 20) || !rec.has(offString, std::uint64_t(chars) * (wide ? 2 : 1)))
        return;
    QString text;
    if (wide) {
        text.resize(qsizetype(chars));
        for (std::uint32_t i = 0; i < chars; ++i)
            text[qsizetype(i)] = QChar(char16_t(rec.u16(offString + 2 * std::uint64_t(i))));
    } else {
        const QByteArray bytes(reinterpret_cast<const char *>(rec.data() + offString), qsizetype(chars));
        text = Renderer::decodeText(bytes, m_r.state().font.charSet);
    }
    if (options & 0x10) // ETO_GLYPH_INDEX: glyph numbers of a font we do not have
        return;
    QVector<double> dx;
    const int step = (options & 0x2000) ? 2 : 1; // ETO_PDY: x and y advances
    if (offDx && rec.has(offDx, std::uint64_t(chars) * 4 * step)) {
        dx.resize(qsizetype(chars));
        for (std::uint32_t i = 0; i < chars; ++i)
            dx[qsizetype(i)] = rec.i32(offDx + 4 * std::uint64_t(i) * step);
        if (!wide && text.size() != qsizetype(chars))
            dx.clear(); // multi-byte text: advances are per byte
    }
    while (!text.isEmpty() && text.back() == QChar(0)) {
        text.chop(1);
    }
    m_r.text(ref, text, dx, options, rect);
}

void EmfPlayer::stretchDibits(const ByteReader &rec)
{
    const QPointF dest = pointL(rec, 24);
    const double xSrc = rec.i32(32), ySrc = rec.i32(36), cxSrc = rec.i32(40), cySrc = rec.i32(44);
    const std::uint32_t rop = rec.u32(68);
    const QRectF destRect(dest, QSizeF(rec.i32(72), rec.i32(76)));
    bool bottomUp = false;
    QImage image = bitmap(rec, 48, false, &bottomUp);
    if (image.isNull())
        return;
    QRectF src(xSrc, bottomUp ? image.height() - ySrc - cySrc : ySrc, cxSrc, cySrc);
    m_r.blit(destRect, image, src, rop);
}

void EmfPlayer::bitBlt(const ByteReader &rec, std::uint32_t type)
{
    const QRectF dest(pointL(rec, 24), QSizeF(rec.i32(32), rec.i32(36)));
    if (type == BITBLT || type == STRETCHBLT) {
        const std::uint32_t rop = rec.u32(40);
        const double xSrc = rec.i32(44), ySrc = rec.i32(48);
        if (rec.u32(84) == 0) { // no source bitmap: a pattern or constant fill
            m_r.patBlt(dest, rop);
            return;
        }
        bool bottomUp = false;
        QImage image = bitmap(rec, 84, false, &bottomUp);
        if (image.isNull())
            return;
        double cx = dest.width(), cy = dest.height();
        if (type == STRETCHBLT) {
            cx = rec.i32(100);
            cy = rec.i32(104);
        }
        // The source offsets go through the source transform; for the usual
        // identity they are pixel offsets.
        const QRectF src(xSrc, ySrc, std::fabs(cx), std::fabs(cy));
        m_r.drawImage(dest, image, src, rop);
        return;
    }
    if (type == ALPHABLEND || type == TRANSPARENTBLT) {
        const std::uint32_t blend = rec.u32(40);
        const double xSrc = rec.i32(44), ySrc = rec.i32(48);
        const bool srcAlpha = ((blend >> 24) & 0xFF) == 1;
        QImage image = bitmap(rec, 84, type == ALPHABLEND && srcAlpha);
        if (image.isNull())
            return;
        const QRectF src(xSrc, ySrc, rec.i32(100), rec.i32(104));
        if (type == TRANSPARENTBLT) {
            // The "blend" field holds the colour that stays transparent.
            const QRgb key = colorRef(blend).rgb() | 0xFF000000u;
            image = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                QRgb *p = reinterpret_cast<QRgb *>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if ((p[x] | 0xFF000000u) == key)
                        p[x] = 0;
            }
            m_r.drawImage(dest, image, src, 0x00CC0020);
            return;
        }
        const int constantAlpha = int((blend >> 16) & 0xFF);
        if (constantAlpha < 255) {
            QImage faded(image.size(), QImage::Format_ARGB32_Premultiplied);
            faded.fill(Qt::transparent);
            QPainter p(&faded);
            p.setOpacity(constantAlpha / 255.0);
            p.drawImage(0, 0, image);
            p.end();
            image = faded;
        }
        m_r.drawImage(dest, image, src, 0x00CC0020);
    }
}

void EmfPlayer::setDibitsToDevice(const ByteReader &rec)
{
    const QPointF dest = pointL(rec, 24);
    const double xSrc = rec.i32(32), ySrc = rec.i32(36), cx = rec.i32(40), cy = rec.i32(44);
    bool bottomUp = false;
    QImage image = bitmap(rec, 48, false, &bottomUp);
    if (image.isNull())
        return;
    const QRectF src(xSrc, bottomUp ? image.height() - ySrc - cy : ySrc, cx, cy);
    m_r.drawImage(QRectF(dest, QSizeF(cx, cy)), image, src, 0x00CC0020);
}

void EmfPlayer::gradientFill(const ByteReader &rec)
{
    const std::uint32_t nVer = rec.u32(24), nTri = rec.u32(28), mode = rec.u32(32);
    if (nVer > 65536 || nTri > 65536 || !rec.has(36, std::uint64_t(nVer) * 16))
        return;
    struct Vertex { QPointF p; QColor c; };
    std::vector<Vertex> v(nVer);
    for (std::uint32_t i = 0; i < nVer; ++i) {
        const std::uint64_t o = 36 + 16 * std::uint64_t(i);
        v[i].p = QPointF(rec.i32(o), rec.i32(o + 4));
        v[i].c = QColor(rec.u16(o + 8) >> 8, rec.u16(o + 10) >> 8, rec.u16(o + 12) >> 8);
    }
    const std::uint64_t at = 36 + 16 * std::uint64_t(nVer);
    const std::uint64_t each = mode == 2 ? 12 : 8;
    if (!rec.has(at, std::uint64_t(nTri) * each))
        return;
    for (std::uint32_t i = 0; i < nTri; ++i) {
        const std::uint64_t o = at + each * i;
        if (mode == 2) {
            const std::uint32_t a = rec.u32(o), b = rec.u32(o + 4), c = rec.u32(o + 8);
            if (a >= nVer || b >= nVer || c >= nVer)
                continue;
            // Triangles: the average colour; a true Gouraud fill has no vector form.
            QPainterPath path;
            path.addPolygon(QPolygonF({v[a].p, v[b].p, v[c].p}));
            path.closeSubpath();
            const QColor avg((v[a].c.red() + v[b].c.red() + v[c].c.red()) / 3,
                             (v[a].c.green() + v[b].c.green() + v[c].c.green()) / 3,
                             (v[a].c.blue() + v[b].c.blue() + v[c].c.blue()) / 3);
            m_r.gradientFill(path, avg);
        } else {
            const std::uint32_t a = rec.u32(o), b = rec.u32(o + 4);
            if (a >= nVer || b >= nVer)
                continue;
            const QRectF r = QRectF(v[a].p, v[b].p).normalized();
            QLinearGradient g(r.topLeft(), mode == 0 ? r.topRight() : r.bottomLeft());
            g.setColorAt(0, v[a].c);
            g.setColorAt(1, v[b].c);
            QPainterPath path;
            path.addRect(r);
            m_r.gradientFill(path, QBrush(g));
        }
    }
}

void EmfPlayer::record(std::uint32_t type, const ByteReader &rec)
{
    DcState &s = m_r.state();
    switch (type) {
    case POLYGON: case POLYLINE: case POLYBEZIER: case POLYBEZIERTO: case POLYLINETO:
    case POLYGON16: case POLYLINE16: case POLYBEZIER16: case POLYBEZIERTO16: case POLYLINETO16: {
        const bool small = type >= POLYBEZIER16;
        if (!readPoints(rec, 28, rec.u32(24), small, m_points))
            return;
        switch (small ? type - (POLYBEZIER16 - POLYBEZIER) : type) {
        case POLYGON: m_r.polygon(m_points); break;
        case POLYLINE: m_r.polyline(m_points); break;
        case POLYBEZIER: m_r.polyBezier(m_points, false); break;
        case POLYBEZIERTO: m_r.polyBezier(m_points, true); break;
        case POLYLINETO: m_r.polylineTo(m_points); break;
        }
        break;
    }
    case POLYPOLYLINE: polyPoly(rec, false, false); break;
    case POLYPOLYGON: polyPoly(rec, false, true); break;
    case POLYPOLYLINE16: polyPoly(rec, true, false); break;
    case POLYPOLYGON16: polyPoly(rec, true, true); break;
    case POLYDRAW: case POLYDRAW16: {
        const bool small = type == POLYDRAW16;
        const std::uint32_t n = rec.u32(24);
        if (!readPoints(rec, 28, n, small, m_points) || !rec.has(28 + std::uint64_t(n) * (small ? 4 : 8), n))
            return;
        const std::uint64_t types = 28 + std::uint64_t(n) * (small ? 4 : 8);
        for (std::uint32_t i = 0; i < n; ++i) {
            const int t = rec.u8(types + i);
            if ((t & 6) == 6 /* PT_MOVETO */) {
                m_r.moveTo(m_points[i]);
            } else if ((t & 6) == 4 && i + 2 < n) {
                m_r.polyBezier(QPolygonF({m_points[i], m_points[i + 1], m_points[i + 2]}), true);
                i += 2;
            } else {
                m_r.lineTo(m_points[i]);
            }
            if (t & 1)
                m_r.closeFigure();
        }
        break;
    }
    case SETWINDOWEXTEX:
        s.windowExt = QSizeF(rec.i32(8), rec.i32(12));
        s.windowExtSet = true;
        m_r.mappingChanged();
        break;
    case SETWINDOWORGEX: s.windowOrg = pointL(rec, 8); m_r.mappingChanged(); break;
    case SETVIEWPORTEXTEX: s.viewportExt = QSizeF(rec.i32(8), rec.i32(12)); m_r.mappingChanged(); break;
    case SETVIEWPORTORGEX: s.viewportOrg = pointL(rec, 8); m_r.mappingChanged(); break;
    case SCALEVIEWPORTEXTEX: case SCALEWINDOWEXTEX: {
        const double xn = rec.i32(8), xd = rec.i32(12), yn = rec.i32(16), yd = rec.i32(20);
        if (xd == 0 || yd == 0)
            return;
        QSizeF &ext = type == SCALEVIEWPORTEXTEX ? s.viewportExt : s.windowExt;
        ext = QSizeF(ext.width() * xn / xd, ext.height() * yn / yd);
        m_r.mappingChanged();
        break;
    }
    case SETPIXELV: m_r.setPixel(pointL(rec, 8), colorRef(rec.u32(16))); break;
    case SETMAPMODE: m_r.setMapMode(int(rec.u32(8))); break;
    case SETBKMODE: s.bkOpaque = rec.u32(8) == 2; m_r.brushChanged(); break;
    case SETPOLYFILLMODE: s.winding = rec.u32(8) == 2; break;
    case SETROP2: {
        const int rop = int(rec.u32(8));
        m_r.setRop2(rop, rop == 7 && xorClipFollows());
        break;
    }
    case SETTEXTALIGN: s.textAlign = rec.u32(8); break;
    case SETTEXTCOLOR: s.textColor = colorRef(rec.u32(8)); m_r.brushChanged(); break;
    case SETBKCOLOR: s.bkColor = colorRef(rec.u32(8)); m_r.brushChanged(); break;
    case OFFSETCLIPRGN: m_r.offsetClip(pointL(rec, 8)); break;
    case MOVETOEX: m_r.moveTo(pointL(rec, 8)); break;
    case EXCLUDECLIPRECT: m_r.excludeClipRect(rectL(rec, 8)); break;
    case INTERSECTCLIPRECT: m_r.intersectClipRect(rectL(rec, 8)); break;
    case SAVEDC: m_r.saveDc(); break;
    case RESTOREDC: m_r.restoreDc(rec.i32(8)); break;
    case SETWORLDTRANSFORM: {
        const QTransform t = xform(rec, 8);
        if (finite(t)) {
            s.world = t;
            m_r.mappingChanged();
        }
        break;
    }
    case MODIFYWORLDTRANSFORM: {
        const QTransform t = xform(rec, 8);
        const std::uint32_t mode = rec.u32(32);
        QTransform next = s.world;
        if (mode == 1)
            next = QTransform();
        else if (mode == 2)
            next = t * s.world;
        else if (mode == 3)
            next = s.world * t;
        else if (mode == 4)
            next = t;
        if (finite(next)) {
            s.world = next;
            m_r.mappingChanged();
        }
        break;
    }
    case SELECTOBJECT: m_r.selectObject(rec.u32(8)); break;
    case DELETEOBJECT: m_r.deleteObject(rec.u32(8)); break;
    case CREATEPEN: createPen(rec); break;
    case EXTCREATEPEN: extCreatePen(rec); break;
    case CREATEBRUSHINDIRECT: createBrush(rec); break;
    case CREATEDIBPATTERNBRUSHPT: createDibBrush(rec, false); break;
    case CREATEMONOBRUSH: createDibBrush(rec, true); break;
    case EXTCREATEFONTINDIRECTW: createFont(rec); break;
    case ANGLEARC:
        m_r.angleArc(pointL(rec, 8), rec.u32(16), rec.f32(20), rec.f32(24));
        break;
    case ELLIPSE: m_r.ellipse(rectL(rec, 8)); break;
    case RECTANGLE: m_r.rectangle(rectL(rec, 8)); break;
    case ROUNDRECT: m_r.roundRect(rectL(rec, 8), QSizeF(rec.i32(24), rec.i32(28))); break;
    case ARC: case CHORD: case PIE: case ARCTO: {
        const Renderer::ArcKind kind = type == ARC ? Renderer::ArcKind::Arc
            : type == CHORD ? Renderer::ArcKind::Chord
            : type == PIE ? Renderer::ArcKind::Pie : Renderer::ArcKind::ArcTo;
        m_r.arc(rectL(rec, 8), pointL(rec, 24), pointL(rec, 32), kind);
        break;
    }
    case LINETO: m_r.lineTo(pointL(rec, 8)); break;
    case SETARCDIRECTION: s.clockwiseArcs = rec.u32(8) == 2; break;
    case SETMITERLIMIT: {
        // Written as an integer by most programs and as a float by some.
        const std::uint32_t v = rec.u32(8);
        double limit = v;
        if (v > 0xFFFF) {
            const float f = rec.f32(8);
            limit = std::isfinite(f) ? f : 10.0;
        }
        s.miterLimit = limit;
        m_r.penChanged();
        break;
    }
    case BEGINPATH: m_r.beginPath(); break;
    case ENDPATH: m_r.endPath(); break;
    case CLOSEFIGURE: m_r.closeFigure(); break;
    case FILLPATH: m_r.fillPath(); break;
    case STROKEANDFILLPATH: m_r.strokeAndFillPath(); break;
    case STROKEPATH: m_r.strokePath(); break;
    case FLATTENPATH: break; // curves stay curves: the output is no worse for it
    case WIDENPATH: m_r.widenPath(); break;
    case SELECTCLIPPATH: m_r.selectClipPath(ClipMode(std::clamp<std::uint32_t>(rec.u32(8), 1, 5))); break;
    case ABORTPATH: m_r.abortPath(); break;
    case EXTSELECTCLIPRGN: {
        const std::uint32_t cb = rec.u32(8);
        const ClipMode mode = ClipMode(std::clamp<std::uint32_t>(rec.u32(12), 1, 5));
        if (cb == 0 || !rec.has(16, cb))
            m_r.setClipRegion(std::nullopt, mode);
        else if (auto path = regionPath(rec.sub(16, cb)))
            m_r.setClipRegion(path, mode);
        break;
    }
    case FILLRGN: {
        const std::uint32_t cb = rec.u32(24);
        if (!rec.has(32, cb))
            return;
        if (auto path = regionPath(rec.sub(32, cb))) {
            // The brush is a handle; draw with it through a temporary selection.
            const LogBrush saved = s.brush;
            m_r.selectObject(rec.u32(28));
            m_r.fillRegion(*path, s.brush);
            s.brush = saved;
            m_r.brushChanged();
        }
        break;
    }
    case PAINTRGN: {
        const std::uint32_t cb = rec.u32(24);
        if (rec.has(28, cb))
            if (auto path = regionPath(rec.sub(28, cb)))
                m_r.fillRegion(*path, s.brush);
        break;
    }
    case BITBLT: case STRETCHBLT: case ALPHABLEND: case TRANSPARENTBLT: bitBlt(rec, type); break;
    case SETDIBITSTODEVICE: setDibitsToDevice(rec); break;
    case STRETCHDIBITS: stretchDibits(rec); break;
    case EXTTEXTOUTA: textOut(rec, false); break;
    case EXTTEXTOUTW: textOut(rec, true); break;
    case GRADIENTFILL: gradientFill(rec); break;
    default:
        break; // comments (EMF+ included), palettes, colour management: nothing to draw
    }
}

} // namespace

bool readEmfHeader(const ByteReader &data, EmfHeader &h, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!data.has(0, 88) || data.u32(0) != 1 || data.u32(40) != 0x464D4520)
        return fail(QStringLiteral("Soubor není rozšířený metasoubor (EMF)"));
    const std::uint32_t size = data.u32(4);
    if (size < 88 || size % 4 != 0 || !data.has(0, size))
        return fail(QStringLiteral("Hlavička metasouboru je poškozená"));
    h.bounds = QRect(QPoint(data.i32(8), data.i32(12)), QPoint(data.i32(16), data.i32(20)));
    h.frame = QRect(QPoint(data.i32(24), data.i32(28)), QPoint(data.i32(32), data.i32(36)));
    h.fileBytes = data.u32(48);
    h.handles = data.u16(56);
    h.devicePixels = QSize(data.i32(72), data.i32(76));
    h.deviceMillimeters = QSize(data.i32(80), data.i32(84));
    return true;
}

QSizeF emfPixelsPerMm(const EmfHeader &h)
{
    if (h.devicePixels.width() > 0 && h.devicePixels.height() > 0 && h.deviceMillimeters.width() > 0
        && h.deviceMillimeters.height() > 0)
        return QSizeF(double(h.devicePixels.width()) / h.deviceMillimeters.width(),
                      double(h.devicePixels.height()) / h.deviceMillimeters.height());
    return QSizeF(96 / 25.4, 96 / 25.4);
}

QRectF emfDeviceFrame(const EmfHeader &h)
{
    const QSizeF pxPerMm = emfPixelsPerMm(h);
    QRectF frame(QPointF(h.frame.left() * pxPerMm.width() / 100.0, h.frame.top() * pxPerMm.height() / 100.0),
                 QPointF(h.frame.right() * pxPerMm.width() / 100.0, h.frame.bottom() * pxPerMm.height() / 100.0));
    if (!(frame.width() > 0) || !(frame.height() > 0))
        frame = QRectF(QPointF(h.bounds.left(), h.bounds.top()), QPointF(h.bounds.right(), h.bounds.bottom()));
    return frame;
}

QRectF measureEmf(const ByteReader &data)
{
    EmfHeader h;
    if (!readEmfHeader(data, h, nullptr))
        return QRectF();
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    QRectF bounds;
    {
        Renderer renderer(painter, QRectF(0, 0, 1, 1), QTransform(), emfPixelsPerMm(h), int(h.handles) + 1);
        renderer.setMeasure(&bounds);
        EmfPlayer player(data, renderer);
        player.play();
    }
    return bounds;
}

void playEmf(const ByteReader &data, QPainter &painter, const QRectF &target, QRectF frame)
{
    EmfHeader h;
    if (!readEmfHeader(data, h, nullptr))
        return;
    const QSizeF pxPerMm = emfPixelsPerMm(h);
    if (frame.isNull())
        frame = emfDeviceFrame(h);
    if (!(frame.width() > 0) || !(frame.height() > 0))
        return;
    const QTransform deviceToTarget = QTransform::fromTranslate(-frame.left(), -frame.top())
        * QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height())
        * QTransform::fromTranslate(target.left(), target.top());
    Renderer renderer(painter, target, deviceToTarget, pxPerMm, int(h.handles) + 1);
    EmfPlayer player(data, renderer);
    player.play();
}

} // namespace korvel::metafile
