#pragma once
#include <QObject>
#include <functional>

#include "project/DocumentSnapshot.h"

class QUndoStack;

namespace korvel {

// Undo and redo for every change of the cover: whatever changed it (an edit box, a
// font, a picture, the spine window, the multi-line editor) is recorded as one step
// once the event that made it is over, by comparing the cover with the state after
// the previous step. A run of typing in one place is one step, and a run that ends
// where it began is none.
//
// Steps hold the cover before and after with pictures as their file bytes, so the
// history of twenty chosen photos costs their files, not twenty decoded photos.
//
// Each step is named in Czech for the undo and redo commands ("Písmo – Nadpis"):
// by what changed between the two covers (changeLabel), or by the command that made
// it when it changes many things at once ("Vymazání textů").
//
// The stack's clean index is the state last saved (or opened): undoing back to it
// makes the cover unsaved no more.
class DocumentHistory : public QObject {
    Q_OBJECT
public:
    using Take = std::function<DocumentSnapshot()>;
    using Apply = std::function<void(const DocumentSnapshot &)>;
    DocumentHistory(Take take, Apply apply, QObject *parent = nullptr);
    ~DocumentHistory() override;

    QUndoStack *stack() const { return m_stack; }

    // Something changed: it becomes a step when control returns to the event loop.
    void changed();
    // The change about to be made is typing into the box or editor with this key:
    // it joins the previous step when that was typing in the same place.
    void nextChangeIsTyping(int key);
    // Records what changed since the last step now, rather than later.
    void recordNow();
    // The changes this event is about to make are one step named label, whatever
    // they change (a command that touches many places: "Vymazání textů").
    void nameNextStep(const QString &label);
    // A gesture (dragging a picture's crop) changes the cover many times and is one
    // step: nothing is recorded between its beginning and its end.
    void beginGesture();
    void endGesture();

    // Forgets every step: the cover as it is now is where undo stops, and it is
    // saved (after New, Open and start-up).
    void reset();
    // The cover as it is now is what the project file holds.
    void setClean();
    // The cover as it is now is saved nowhere, not even at the start of the history
    // (restored work).
    void setUnsavedEverywhere();
    bool isClean() const;

    // Counts every recorded change and every undo or redo: the recovery copy is
    // written again only when it has moved.
    quint64 generation() const { return m_generation; }

signals:
    // An undo or redo has put a state back.
    void applied();
    // A step named by the command that made it (nameNextStep) has been recorded.
    void commandRecorded();
    // Whether the cover differs from what was saved may have changed.
    void cleanStateMayHaveChanged();

private:
    class Step;
    void apply(const DocumentSnapshot &snapshot);

    Take m_take;
    Apply m_apply;
    QUndoStack *m_stack;
    DocumentSnapshot m_current;
    int m_typingKey = -1; // the typing the pending step comes from, or -1
    QString m_nextLabel;  // the name the pending step is given, or empty
    bool m_recordScheduled = false;
    bool m_applying = false;
    bool m_inGesture = false;
    quint64 m_generation = 0;
};

} // namespace korvel
