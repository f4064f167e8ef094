#include "controls/UndoKeyFilter.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace korvel {

namespace {

bool isUndoOrRedo(const QKeyEvent *key)
{
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
        return true;
    // Ctrl+Y is redo on every desktop people come from, whatever the platform's table says.
    return key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier;
}

} // namespace

void UndoKeyFilter::install(QWidget *box)
{
    box->installEventFilter(new UndoKeyFilter(box));
}

bool UndoKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        if (isUndoOrRedo(static_cast<QKeyEvent *>(event))) {
            // Kept from the box and left unaccepted: the window's shortcut fires.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
