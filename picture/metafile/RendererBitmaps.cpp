#include "picture/metafile/Renderer.h"

#include <QPainter>

#include <cmath>

namespace korvel::metafile {

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

} // namespace korvel::metafile
