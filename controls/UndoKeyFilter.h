#pragma once
#include <QObject>

class QWidget;

namespace korvel {

// Text boxes keep an undo history of their own, which knows nothing of the cover's:
// Ctrl+Z in a box would undo letters behind the cover's back. Installed on a box,
// this filter leaves the undo and redo keys to the window's commands, which undo
// whole steps of the cover.
class UndoKeyFilter : public QObject {
public:
    using QObject::QObject;
    static void install(QWidget *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace korvel
