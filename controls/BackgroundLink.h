#pragma once
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "controls/TKivBackground.h"

namespace korvel {

// A control's reference to a TKivBackground it paints with. Setting it moves the
// control from the old background's user list to the new one's. When the
// background is destroyed first the reference clears itself and the control
// repaints without it, so a control never paints through a dangling pointer.
class BackgroundLink {
public:
    explicit BackgroundLink(QWidget *control) : m_control(control) {}
    ~BackgroundLink() { detach(); }
    BackgroundLink(const BackgroundLink &) = delete;
    BackgroundLink &operator=(const BackgroundLink &) = delete;

    TKivBackground *get() const { return m_background.data(); }

    void set(TKivBackground *background)
    {
        detach();
        if (background) {
            background->addUser(m_control);
            m_watch = QObject::connect(background, &QObject::destroyed, m_control, [this] {
                m_background = nullptr;
                m_control->update();
            });
        }
        m_background = background;
        m_control->update();
    }

private:
    void detach()
    {
        QObject::disconnect(m_watch);
        if (m_background)
            m_background->removeUser(m_control);
        m_background = nullptr;
    }

    QWidget *m_control;
    QPointer<TKivBackground> m_background;
    QMetaObject::Connection m_watch;
};

} // namespace korvel
