#pragma once
#include <QImage>
#include <QPainter>

#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "project/SheetView.h"

namespace korvel::test {

// The page drawn for the screen at a view's zoom, as the page view draws it.
inline QImage renderScreen(const SheetView &view)
{
    QImage image(view.pixelSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    view.paint(p);
    return image;
}

// The same in a view of its own at a zoom, the captions shown or not.
inline QImage renderScreen(const CoverPage &page, int zoom = 100, bool captions = true)
{
    SheetView view(page);
    view.setZoom(zoom);
    view.setCaptionsVisible(captions);
    return renderScreen(view);
}

// The page drawn as the printer gets it, on a white A4 image at dpi.
inline QImage renderPaper(const CoverPage &page, int dpi = 96)
{
    QImage image(qRound(2100.0 / 254 * dpi), qRound(2970.0 / 254 * dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    SheetRenderer::paint(page, p, PageRenderOptions::forPaper(dpi));
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
