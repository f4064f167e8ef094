#include "project/ItemFont.h"

#include <QFontMetricsF>
#include <cmath>

#include "settings/Fonts.h"
#include "project/MulDiv.h"

namespace korvel {

int ItemFont::size() const
{
    return -mulDiv(height, 72, 96);
}

void ItemFont::setSize(int points)
{
    height = -mulDiv(points, 96, 72);
}

QFont ItemFont::toQFontForHeight(int h) const
{
    QFont font = makeCoverFont(name);
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    if (h == 0)
        h = -13; // the platform's default for a zero height is its normal size
    if (h < 0) {
        font.setPixelSize(std::max(1, -h));
    } else {
        // A cell height: find the em size whose ascent + descent is h.
        QFont probe = font;
        probe.setPixelSize(1000);
        const QFontMetricsF m(probe);
        const qreal cell = m.ascent() + m.descent();
        const int px = cell > 0 ? int(std::lround(h * 1000.0 / cell)) : h;
        font.setPixelSize(std::max(1, px));
    }
    return font;
}

QFont ItemFont::toQFont(int zoom) const
{
    if (zoom == 100)
        return toQFontForHeight(height);
    const int points = mulDiv(size(), zoom, 100);
    return toQFontForHeight(-mulDiv(points, 96, 72));
}

} // namespace korvel
