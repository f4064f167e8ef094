#pragma once
#include <QObject>

#include "project/CoverPage.h"

class QUndoStack;

namespace korvel {

class SpinePictureState;

// Undo and redo for every change of the cover: whatever changed the page (an edit
// box, a font, a picture, the spine window, the multi-line editor) is recorded as one
// step once the event that made it is over, by comparing the page with the state
// after the previous step. A run of typing in one box is one step.
//
// Each step holds the page as a value before and after (pictures are shared, not
// copied), so an undo gives back exactly what was there, box heights included.
class PageHistory : public QObject {
    Q_OBJECT
public:
    PageHistory(CoverPage &page, SpinePictureState &spine, QObject *parent = nullptr);
    ~PageHistory() override;

    QUndoStack *stack() const { return m_stack; }

    // The change about to be made is typing into the box or editor with this key:
    // it joins the previous step when that was typing in the same place.
    void nextChangeIsTyping(int key);

    // Records what changed since the last step now, rather than when control returns
    // to the event loop.
    void recordNow();

    // Forgets every step: the page as it is now is where undo stops (after New, Open
    // and start-up).
    void reset();

signals:
    // An undo or redo has put a state back; the windows show it and count it as a change.
    void applied();

private:
    struct Snapshot {
        PageState page;
        bool pictureSwitch = false;
        bool stretch = true;
        bool operator==(const Snapshot &) const = default;
    };
    class Step;

    Snapshot take() const;
    void apply(const Snapshot &snapshot);
    void pageChanged();

    CoverPage &m_page;
    SpinePictureState &m_spine;
    QUndoStack *m_stack;
    Snapshot m_current;
    int m_typingKey = -1; // the typing the pending step comes from, or -1
    bool m_recordScheduled = false;
    bool m_applying = false;
};

} // namespace korvel
