#include "controls/EnterClicksFilter.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace korvel {

void EnterClicksFilter::install(QAbstractButton *button)
{
    button->installEventFilter(new EnterClicksFilter(button));
}

bool EnterClicksFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (auto *button = qobject_cast<QAbstractButton *>(watched))
                button->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
