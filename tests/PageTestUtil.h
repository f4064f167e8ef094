#pragma once
#include <QImage>
#include <QPainter>

#include "project/CoverPage.h"

namespace korvel::test {

// The page drawn for the screen at its current zoom, as the page view draws it.
inline QImage renderScreen(const CoverPage &page)
{
    QImage image(page.pixelSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    page.paintScreen(p);
    return image;
}

// The page drawn as the printer gets it, on a white A4 image at dpi.
inline QImage renderPaper(const CoverPage &page, int dpi = 96)
{
    QImage image(qRound(2100.0 / 254 * dpi), qRound(2970.0 / 254 * dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    page.paint(p, PageRenderOptions::forPaper(dpi));
    return image;
}

inline bool isDark(QRgb c)
{
    return qGray(c) < 128;
}

// Number of dark pixels in a rectangle of an image.
inline int darkPixels(const QImage &image, const QRect &r)
{
    int n = 0;
    const QRect clipped = r.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            n += isDark(image.pixel(x, y));
    return n;
}

inline void emptyAllTexts(CoverPage &page)
{
    for (TextItem &item : page.items())
        item.clearLines();
    page.CDL().setCaption(QString());
    page.CDR().setCaption(QString());
}

} // namespace korvel::test
