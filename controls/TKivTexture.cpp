#include "controls/TKivTexture.h"

#include <QPainter>

namespace korvel {

TKivTexture::TKivTexture(QObject *parent) : QObject(parent) {}

void TKivTexture::setImage(const QImage &image)
{
    if (image.isNull()) {
        m_image = QImage();
    } else if (image.hasAlphaChannel()) {
        // A texture is an opaque bitmap; see-through parts of the source are
        // settled against white once here, not at every paint.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter p(&opaque);
        p.drawImage(0, 0, image);
        p.end();
        m_image = opaque;
    } else {
        m_image = image.convertToFormat(QImage::Format_RGB32);
        m_image.detach();
    }
    emit OnChange();
}

void TKivTexture::setImageStyle(TKivImageStyle style)
{
    m_imageStyle = style;
    emit OnChange();
}

void TKivTexture::setTransparentColor(ColorRef c)
{
    m_transparentColor = c;
    emit OnChange();
}

void TKivTexture::setTransparentBackground(ColorRef c)
{
    m_transparentBackground = c;
    emit OnChange();
}

void TKivTexture::assign(const TKivTexture &other)
{
    if (&other != this) {
        m_image = other.m_image.copy();
        m_imageStyle = other.m_imageStyle;
        m_transparentColor = other.m_transparentColor;
        m_transparentBackground = other.m_transparentBackground;
    }
    emit OnChange();
}

QImage TKivTexture::tile() const
{
    if (m_image.isNull() || m_transparentColor == clNone)
        return m_image;
    QImage copy = m_image.copy();
    const QRgb from = resolveColor(m_transparentColor).rgb();
    const QRgb to = resolveColor(m_transparentBackground).rgb();
    for (int y = 0; y < copy.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x)
            if ((line[x] | 0xFF000000u) == from)
                line[x] = to;
    }
    return copy;
}

void TKivTexture::paint(QPainter &canvas, int W, int H, ColorRef backgroundColor) const
{
    if (m_image.isNull() || W <= 0 || H <= 0)
        return;
    const QImage t = tile();
    const int w = t.width(), h = t.height();
    canvas.save();
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    switch (m_imageStyle) {
    case isTile:
        // Whole tiles from the origin, columns 0 ... W / w and rows 0 ... H / h,
        // so the last ones stick out past the surface edge. One textured fill
        // gives the same pixels as a copy per tile, without a call per tile for
        // a small picture on a large surface.
        canvas.setBrushOrigin(0, 0);
        canvas.fillRect(QRect(0, 0, (W / w + 1) * w, (H / h + 1) * h), QBrush(t));
        break;
    case isStretched:
        canvas.drawImage(QRect(0, 0, W, H), t);
        break;
    case isCenter:
        canvas.setBackground(resolveColor(backgroundColor));
        canvas.setBackgroundMode(Qt::OpaqueMode);
        canvas.drawImage(w < W ? (W - w) / 2 : 0, h < H ? (H - h) / 2 : 0, t);
        break;
    }
    canvas.restore();
}

} // namespace korvel
