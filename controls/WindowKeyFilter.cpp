#include "controls/WindowKeyFilter.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace korvel {

WindowKeyFilter::WindowKeyFilter(QList<QKeySequence> keys, bool popupMenu, QObject *parent)
    : QObject(parent)
    , m_keys(std::move(keys))
    , m_popupMenu(popupMenu)
{
}

void WindowKeyFilter::install(QWidget *control, const QList<QKeySequence> &keys, bool popupMenu)
{
    control->installEventFilter(new WindowKeyFilter(keys, popupMenu, control));
}

bool WindowKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence &own : m_keys)
            if (own == pressed) {
                // Not overridden: the window's shortcut fires.
                event->ignore();
                return true;
            }
    }
    // Ignored here, the menu's event goes on to the control's parents.
    if (m_popupMenu && event->type() == QEvent::ContextMenu
        && static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
