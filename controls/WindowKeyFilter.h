#pragma once
#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

namespace korvel {

// A text box has key bindings of its own (Ctrl+E moves to the end of the line on
// some desktops) that would hide the window's shortcuts while the box has the focus.
// Installed on a control, this filter leaves the given keys to the window, and with
// popupMenu the Menu key too: its popup menu is then the window's, not the box's Cut
// and Paste (a right click still opens that one).
class WindowKeyFilter : public QObject {
public:
    WindowKeyFilter(QList<QKeySequence> keys, bool popupMenu, QObject *parent);
    static void install(QWidget *control, const QList<QKeySequence> &keys, bool popupMenu = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QKeySequence> m_keys;
    bool m_popupMenu;
};

} // namespace korvel
