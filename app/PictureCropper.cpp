#include "app/PictureCropper.h"

#include <QApplication>
#include <QLineF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "app/PageView.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/DocumentHistory.h"
#include "project/PageGeometry.h"

namespace korvel {

namespace {

// The crop's zoom changes by a tenth for each notch of the wheel.
constexpr int kZoomStep = 100;
// An arrow key moves the picture by this many screen pixels at 100 %, by one with Shift.
constexpr int kKeyStep = 10;

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
    const SheetLayout &layout = m_view.page().layout();
    for (const ElementSpec &e : layout.elements) {
        if (e.kind != ElementKind::Picture || !m_view.view().elementPixelRect(e.name).contains(onView))
            continue;
        // A disc's picture is where its ring is, not in its corners or its hole.
        if (e.shape.kind == Shape::Kind::Disc) {
            const QRect r = m_view.view().elementPixelRect(e.name);
            const double scale = r.width() / e.shape.width;
            const double d = QLineF(QPointF(r.center()), QPointF(onView)).length();
            if (d > r.width() / 2.0 || d < e.shape.hole * scale / 2)
                continue;
        }
        return e.name;
    }
    return {};
}

PictureElement *PictureCropper::fillingAt(const QPoint &onView, std::string_view *name) const
{
    const std::string_view found = pictureAt(onView);
    if (found.empty())
        return nullptr;
    PictureElement &element = m_view.page().picture(m_view.page().layout().find(found));
    if (element.picture().isEmpty() || !element.placement().clips())
        return nullptr;
    *name = found;
    return &element;
}

bool PictureCropper::startKeyboardCrop(std::string_view name)
{
    if (m_keyed)
        endKeyboardCrop(true);
    const ElementId id = m_view.page().layout().find(name);
    if (!id.valid() || m_view.page().layout().element(id).kind != ElementKind::Picture)
        return false;
    PictureElement &element = m_view.page().picture(id);
    if (element.picture().isEmpty() || !element.placement().clips())
        return false;
    m_keyed = &element;
    m_keyedName = m_view.page().layout().element(id).name;
    m_keyedBefore = element.placement();
    m_focusBefore = QApplication::focusWidget();
    m_document.history().beginGesture();
    m_view.setFocus(Qt::OtherFocusReason);
    const QString whose = name == "MainImg" ? QStringLiteral("přední strany")
                          : name == "BckImg" ? QStringLiteral("zadní strany")
                                             : QStringLiteral("disku");
    emit hint(QStringLiteral("Výřez %1: šipky ho posunou (se Shiftem jemně), + a − zvětší a zmenší, Enter ho potvrdí, "
                             "Esc vrátí.")
                  .arg(whose));
    return true;
}

void PictureCropper::endKeyboardCrop(bool keep)
{
    if (!m_keyed)
        return;
    PictureElement *element = m_keyed;
    m_keyed = nullptr;
    if (!keep)
        element->setPlacement(m_keyedBefore);
    m_document.history().endGesture();
    emit hint(QString());
    if (m_focusBefore && m_view.hasFocus())
        m_focusBefore->setFocus(Qt::OtherFocusReason);
}

bool PictureCropper::keyboardCropKey(int key, Qt::KeyboardModifiers modifiers)
{
    const int step = (modifiers & Qt::ShiftModifier) ? 1 : kKeyStep;
    QPoint moved;
    int zoomed = 0;
    switch (key) {
    case Qt::Key_Left:
        moved = QPoint(-step, 0);
        break;
    case Qt::Key_Right:
        moved = QPoint(step, 0);
        break;
    case Qt::Key_Up:
        moved = QPoint(0, -step);
        break;
    case Qt::Key_Down:
        moved = QPoint(0, step);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomed = kZoomStep;
        break;
    case Qt::Key_Minus:
        zoomed = -kZoomStep;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        endKeyboardCrop(true);
        return true;
    case Qt::Key_Escape:
        endKeyboardCrop(false);
        return true;
    default:
        return false;
    }
    PicturePlacement placement = m_keyed->placement();
    if (zoomed != 0) {
        placement.zoom = std::clamp(placement.zoom + zoomed, PicturePlacement::kMinZoom, PicturePlacement::kMaxZoom);
    } else {
        // As the mouse drags it: the picture moves, the part that shows the other way.
        placement = placement.movedBy(QPointF(moved) * kTenthMmPerPixel, m_view.page().elementRect(m_keyedName),
                                      QSizeF(m_keyed->picture().size()));
    }
    m_keyed->setPlacement(placement);
    return true;
}

bool PictureCropper::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_view)
        return false;
    CoverPage &page = m_view.page();
    if (m_keyed) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
            // Plain keys (and Shift with the arrows and +) are the crop's; the
            // window's shortcuts with Ctrl go on working.
            if (modifiers & ~Qt::ShiftModifier)
                return false;
            if (event->type() == QEvent::ShortcutOverride) {
                const int k = key->key();
                if (k == Qt::Key_Plus || k == Qt::Key_Minus || k == Qt::Key_Equal || k == Qt::Key_Escape)
                    event->accept();
                return false;
            }
            return keyboardCropKey(key->key(), modifiers);
        }
        case QEvent::FocusOut: {
            // Another control taking the focus ends it; a menu or another window
            // coming up in front does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                endKeyboardCrop(true);
            return false;
        }
        default:
            break;
        }
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        std::string_view name;
        // Dragged at 100 % only, where the page is edited.
        if (mouse->button() != Qt::LeftButton || m_view.view().zoom() != 100)
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
            const bool movable = m_view.view().zoom() == 100 && fillingAt(mouse->position().toPoint(), &name);
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
        m_document.nextChangeIsTyping(300 + 10 * int(m_document.sheets().indexOf(&page)) + page.layout().ordinal(name));
        element->setPlacement(zoomed);
        return true;
    }
    default:
        return false;
    }
}

} // namespace korvel
