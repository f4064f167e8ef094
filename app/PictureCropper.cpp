#include "app/PictureCropper.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include "app/PageView.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/DocumentHistory.h"
#include "project/PageGeometry.h"

namespace korvel {

namespace {

// The crop's zoom changes by a tenth for each notch of the wheel.
constexpr int kZoomStep = 100;

} // namespace

PictureCropper::PictureCropper(CoverDocument &document, PageView &view)
    : QObject(&view)
    , m_document(document)
    , m_view(view)
{
    view.installEventFilter(this);
    view.setMouseTracking(true); // the hand over a picture that can be moved
}

std::string_view PictureCropper::pictureAt(const QPoint &onView) const
{
    const CoverPage &page = m_document.page();
    for (std::string_view name : {"MainImg", "BckImg"})
        if (page.elementPixelRect(name, page.zoom()).contains(onView))
            return name;
    return {};
}

PictureElement *PictureCropper::fillingAt(const QPoint &onView, std::string_view *name) const
{
    const std::string_view found = pictureAt(onView);
    if (found.empty())
        return nullptr;
    PictureElement &element = found == "MainImg" ? m_document.page().MainImg() : m_document.page().BckImg();
    if (element.picture().isEmpty() || !element.placement().clips())
        return nullptr;
    *name = found;
    return &element;
}

bool PictureCropper::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_view)
        return false;
    CoverPage &page = m_document.page();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        std::string_view name;
        // Dragged at 100 % only, where the page is edited.
        if (mouse->button() != Qt::LeftButton || page.zoom() != 100)
            return false;
        if (PictureElement *element = fillingAt(mouse->position().toPoint(), &name)) {
            m_dragged = element;
            m_draggedName = name;
            m_pressedAt = mouse->position().toPoint();
            m_pressedPlacement = element->placement();
            m_moving = false;
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_dragged) {
            std::string_view name;
            const bool movable = page.zoom() == 100 && fillingAt(mouse->position().toPoint(), &name);
            m_view.setCursor(movable ? Qt::OpenHandCursor : Qt::ArrowCursor);
            return false;
        }
        const QPoint moved = mouse->position().toPoint() - m_pressedAt;
        if (!m_moving) {
            if (moved.manhattanLength() < 3)
                return true;
            m_moving = true;
            m_document.history().beginGesture();
            m_view.setCursor(Qt::ClosedHandCursor);
        }
        // Screen pixels at 100 % into tenths of a millimetre of the page.
        const QPointF delta = QPointF(moved) * kTenthMmPerPixel;
        const QRectF area = page.elementRect(m_draggedName);
        m_dragged->setPlacement(m_pressedPlacement.movedBy(delta, area, QSizeF(m_dragged->picture().size())));
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_dragged)
            return false;
        if (m_moving)
            m_document.history().endGesture();
        m_dragged = nullptr;
        m_moving = false;
        m_view.setCursor(Qt::OpenHandCursor);
        return true;
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        std::string_view name;
        if (PictureElement *element = fillingAt(mouse->position().toPoint(), &name)) {
            PicturePlacement centred = element->placement();
            centred.x = centred.y = 500;
            element->setPlacement(centred);
            return true;
        }
        return false;
    }
    case QEvent::Wheel: {
        auto *wheel = static_cast<QWheelEvent *>(event);
        std::string_view name;
        if (!(wheel->modifiers() & Qt::ShiftModifier) || (wheel->modifiers() & Qt::ControlModifier))
            return false;
        PictureElement *element = fillingAt(wheel->position().toPoint(), &name);
        if (!element)
            return false;
        // With Shift, a wheel reports its turn across on some systems.
        const int turn = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        if (turn == 0)
            return true;
        PicturePlacement zoomed = element->placement();
        zoomed.zoom = std::clamp(zoomed.zoom + (turn > 0 ? kZoomStep : -kZoomStep), PicturePlacement::kMinZoom,
                                 PicturePlacement::kMaxZoom);
        // A run of notches is one step, as a run of typing is.
        m_document.nextChangeIsTyping(name == "MainImg" ? 300 : 301);
        element->setPlacement(zoomed);
        return true;
    }
    default:
        return false;
    }
}

} // namespace korvel
