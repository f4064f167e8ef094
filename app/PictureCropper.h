#pragma once
#include <QObject>
#include <QPoint>
#include <string_view>

#include "project/picture/PicturePlacement.h"

namespace korvel {

class CoverDocument;
class PictureElement;
class PageView;

// The crop of a front or back picture placed to fill its area, chosen on the page
// itself: dragging the picture at 100 % moves the part that shows (one undo step per
// drag), Shift and the wheel zoom it from 100 % to 400 %, a double click centres it
// again. Ctrl and the wheel stay the page's zoom.
class PictureCropper : public QObject {
    Q_OBJECT
public:
    PictureCropper(CoverDocument &document, PageView &view);

    // The picture element ("MainImg", "BckImg") at a point of the view, or none.
    std::string_view pictureAt(const QPoint &onView) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The element at the point whose picture fills its area, or null.
    PictureElement *fillingAt(const QPoint &onView, std::string_view *name) const;

    CoverDocument &m_document;
    PageView &m_view;
    PictureElement *m_dragged = nullptr;
    std::string_view m_draggedName;
    QPoint m_pressedAt;
    PicturePlacement m_pressedPlacement;
    bool m_moving = false;
};

} // namespace korvel
