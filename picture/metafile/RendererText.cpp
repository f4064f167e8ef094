#include "picture/metafile/Renderer.h"

#include "settings/Fonts.h"
#include "picture/metafile/RendererPrivate.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace korvel::metafile {

namespace {

// Limits that keep a hostile file from making playback slow or memory-hungry.
constexpr int kMaxFontPixels = 4000;

} // namespace

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

} // namespace korvel::metafile
