#pragma once
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include "picture/RasterContent.h"
#include "project/SheetView.h"

namespace korvel::bench {

// A 12-megapixel photo-sized JPEG made in memory: gradients and fine detail so the
// entropy decoder has real work to do. The seed colour tells photos apart.
inline QByteArray makeBigJpeg(QColor seed)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 4000, 3000);
    gradient.setColorAt(0, seed);
    gradient.setColorAt(0.5, QColor(200, 180, 150));
    gradient.setColorAt(1, seed.darker(300));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(250, 250, 240), 3));
    for (int i = 0; i < 4000; i += 37)
        painter.drawLine(i, 0, 4000 - i, 3000);
    painter.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(image);
    return out;
}

// A sheet painted once and its photos' smooth copies for this zoom made, then painted
// again: what the user sees a moment after the zoom or a photo changed.
inline void paintSettled(const SheetView &view, QImage &screen)
{
    {
        QPainter p(&screen);
        view.paint(p);
    }
    ScreenScaling::waitForBackground();
    QPainter p(&screen);
    view.paint(p);
}

} // namespace korvel::bench
