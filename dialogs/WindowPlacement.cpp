#include "dialogs/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace korvel {

namespace {

// Room kept above a window for the title bar a window manager adds, which is not
// known until the window has been shown once.
constexpr int kTitleBarAllowance = 32;

} // namespace

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
    // The window's own area is remembered, never its frame: the frame is added by the
    // window manager around whatever is placed, so a frame position put back as the
    // window's would move it by the title bar's height at every opening.
    const QVariant saved = QSettings().value(key);
    if (saved.metaType().id() == QMetaType::QRect) {
        QRect wanted = saved.toRect();
        if (window->minimumSize() == window->maximumSize() || wanted.size().isEmpty())
            wanted.setSize(window->size());
        // Only on one of today's screens, and whole on it with its title bar: a screen
        // removed since, or a window dragged half off, must not leave it out of reach.
        if (QScreen *screen = QGuiApplication::screenAt(wanted.center())) {
            const QRect area = screen->availableGeometry().adjusted(0, kTitleBarAllowance, 0, 0);
            wanted.setSize(wanted.size().boundedTo(area.size()));
            wanted.moveLeft(std::clamp(wanted.left(), area.left(), area.right() + 1 - wanted.width()));
            wanted.moveTop(std::clamp(wanted.top(), area.top(), area.bottom() + 1 - wanted.height()));
            window->setGeometry(wanted);
            return;
        }
    }
    centreOnScreen(window);
}

void saveWindowPlacement(const QWidget *window, const QString &key)
{
    QSettings().setValue(key, window->geometry());
}

} // namespace korvel
