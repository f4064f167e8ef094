#include "dialogs/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace korvel {

void centreOnScreen(QWidget *window)
{
    QWidget *owner = window->parentWidget();
    QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void placeWindow(QWidget *window, const QString &key)
{
    const QVariant saved = QSettings().value(key);
    if (saved.metaType().id() == QMetaType::QPoint) {
        const QPoint pos = saved.toPoint();
        // Only a place on one of today's screens: a screen that has been removed
        // since must not leave the window out of reach.
        if (QGuiApplication::screenAt(pos + QPoint(window->frameGeometry().width() / 2, 10))) {
            window->move(pos);
            return;
        }
    }
    centreOnScreen(window);
}

void saveWindowPlacement(const QWidget *window, const QString &key)
{
    QSettings().setValue(key, window->pos());
}

} // namespace korvel
