#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <string_view>

#include "picture/PicturePlacement.h"

namespace korvel {

class CoverDocument;
class PictureElement;
class PageView;

// The crop of a picture placed to fill its area (the front, the back, a disc label's),
// chosen on the sheet itself: dragging the picture at 100 % moves the part that shows (one undo step per
// drag), Shift and the wheel zoom it from 100 % to 400 %, a double click centres it
// again. Ctrl and the wheel stay the page's zoom. Without a mouse, the page takes the
// keys for a while ("Výřez klávesnicí"): the arrows move the crop, + and - zoom it.
class PictureCropper : public QObject {
    Q_OBJECT
public:
    PictureCropper(CoverDocument &document, PageView &view);

    // The picture element ("MainImg", "BckImg", "DiscImg") at a point of the view, or none.
    std::string_view pictureAt(const QPoint &onView) const;

    // The sheet takes the focus and the keys choose the crop of the picture element
    // of this name, as one undo step, until Enter keeps it or Escape puts it back
    // (leaving the sheet keeps it too). Returns false when that picture has no crop to
    // choose, or the sheet has no such picture.
    bool startKeyboardCrop(std::string_view element);
    bool isCroppingByKeyboard() const { return m_keyed != nullptr; }

signals:
    // What the keys do while they choose the crop; empty when they are done.
    void hint(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The element at the point whose picture fills its area, or null.
    PictureElement *fillingAt(const QPoint &onView, std::string_view *name) const;
    bool keyboardCropKey(int key, Qt::KeyboardModifiers modifiers);
    void endKeyboardCrop(bool keep);

    CoverDocument &m_document;
    PageView &m_view;
    PictureElement *m_dragged = nullptr;
    std::string_view m_draggedName;
    QPoint m_pressedAt;
    PicturePlacement m_pressedPlacement;
    bool m_moving = false;
    // The crop chosen with keys: its element, its placement before, and the control
    // that had the focus.
    PictureElement *m_keyed = nullptr;
    std::string_view m_keyedName;
    PicturePlacement m_keyedBefore;
    QPointer<QWidget> m_focusBefore;
};

} // namespace korvel
