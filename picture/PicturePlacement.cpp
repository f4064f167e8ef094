#include "picture/PicturePlacement.h"

#include <algorithm>
#include <cmath>

namespace korvel {

namespace {

// v kept between lo and hi. Where the picture just fits, rounding can put lo a hair
// above hi (std::clamp must not be given that): the middle is then the only place.
double within(double v, double lo, double hi)
{
    return lo > hi ? (lo + hi) / 2 : std::clamp(v, lo, hi);
}

} // namespace

QRectF PicturePlacement::pictureRect(const QRectF &area, const QSizeF &pictureSize) const
{
    if (fit == Fit::Stretch || pictureSize.isEmpty() || area.isEmpty())
        return area;
    const double across = area.width() / pictureSize.width();
    const double down = area.height() / pictureSize.height();
    if (fit == Fit::Fit) {
        const double scale = std::min(across, down);
        QRectF placed(QPointF(0, 0), pictureSize * scale);
        placed.moveCenter(area.center());
        return placed;
    }
    const PicturePlacement b = bounded();
    const double scale = std::max(across, down) * b.zoom / 1000.0;
    const QSizeF size = pictureSize * scale;
    // The chosen point of the picture lies at the area's centre, as far as the
    // picture still covers the whole area.
    const double left = area.center().x() - size.width() * b.x / 1000.0;
    const double top = area.center().y() - size.height() * b.y / 1000.0;
    return QRectF(within(left, area.right() - size.width(), area.left()),
                  within(top, area.bottom() - size.height(), area.top()), size.width(), size.height());
}

PicturePlacement PicturePlacement::movedBy(const QPointF &delta, const QRectF &area, const QSizeF &pictureSize) const
{
    if (fit != Fit::Fill || pictureSize.isEmpty() || area.isEmpty())
        return *this;
    const QRectF now = pictureRect(area, pictureSize).translated(delta);
    // The point of the picture that is now at the area's centre.
    PicturePlacement moved = *this;
    moved.x = int(std::lround((area.center().x() - now.left()) / now.width() * 1000));
    moved.y = int(std::lround((area.center().y() - now.top()) / now.height() * 1000));
    // Kept where the picture still covers the area: the centre cannot come nearer to
    // an edge than half the area.
    const double halfX = area.width() / 2 / now.width() * 1000, halfY = area.height() / 2 / now.height() * 1000;
    moved.x = int(within(double(moved.x), std::ceil(halfX), std::floor(1000 - halfX)));
    moved.y = int(within(double(moved.y), std::ceil(halfY), std::floor(1000 - halfY)));
    return moved;
}

PicturePlacement PicturePlacement::bounded() const
{
    PicturePlacement b = *this;
    b.x = std::clamp(b.x, 0, 1000);
    b.y = std::clamp(b.y, 0, 1000);
    b.zoom = std::clamp(b.zoom, kMinZoom, kMaxZoom);
    return b;
}

} // namespace korvel
