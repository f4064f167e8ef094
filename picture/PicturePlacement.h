#pragma once
#include <QRectF>
#include <QSizeF>

namespace korvel {

// How a front or back picture lies in its area.
//  - Stretch: over the whole area, proportions not kept (what every older project has).
//  - Fill: proportions kept, the whole area covered; what lies outside is cut off. The
//    part that shows is chosen by its centre (x, y, per mille of the picture's width
//    and height) and a zoom of 100 % to 400 % (per mille).
//  - Fit: proportions kept, the whole picture inside the area, centred; the rest of
//    the area is paper.
// The crop is kept in fractions of the picture, so a larger copy of the same photo
// shows the same part.
struct PicturePlacement {
    enum class Fit { Stretch = 0, Fill = 1, Fit = 2 };
    Fit fit = Fit::Stretch;
    int x = 500;     // per mille of the picture's width
    int y = 500;     // per mille of the picture's height
    int zoom = 1000; // per mille, 1000 to 4000

    static constexpr int kMinZoom = 1000;
    static constexpr int kMaxZoom = 4000;

    bool operator==(const PicturePlacement &) const = default;
    bool isStretch() const { return fit == Fit::Stretch; }

    // Where the whole picture is drawn for the area: the area itself (stretch), the
    // centred rectangle of the picture's proportions inside it (fit), or a larger
    // rectangle of those proportions around it, placed so that the chosen part is in
    // view (fill; drawn clipped to the area). pictureSize gives the proportions.
    QRectF pictureRect(const QRectF &area, const QSizeF &pictureSize) const;
    // Whether drawing must be clipped to the area (fill).
    bool clips() const { return fit == Fit::Fill; }

    // The same placement with the crop centre moved so that the picture moves by
    // delta (in the units of area) on the page, kept where the picture still covers
    // the area.
    PicturePlacement movedBy(const QPointF &delta, const QRectF &area, const QSizeF &pictureSize) const;
    // Values out of range brought within it (a damaged or hand-written file).
    PicturePlacement bounded() const;
};

} // namespace korvel
