#pragma once
#include <QSize>
#include <QSizeF>
#include <cmath>

#include "picture/PicturePlacement.h"

namespace korvel {

// Where a picture about to be loaded will be shown on the screen: its area there, in
// device pixels at the current zoom, and how it lies in it. Given to the loader, it
// lets a large JPEG photo be decoded for the screen at a reduced scale first (see
// DeferredJpeg::forScreen).
struct ScreenArea {
    QSizeF size;
    PicturePlacement placement;
    // The device size the whole of a picture of pictureSize (upright) is drawn at.
    QSize pictureSize(QSize pictureSize) const
    {
        if (size.isEmpty() || pictureSize.isEmpty())
            return QSize();
        const QRectF drawn = placement.pictureRect(QRectF(QPointF(0, 0), size), QSizeF(pictureSize));
        return QSize(int(std::ceil(drawn.width())), int(std::ceil(drawn.height())));
    }
};

} // namespace korvel
