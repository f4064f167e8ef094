#pragma once
#include <QObject>

class QAbstractButton;

namespace korvel {

// Flat tool buttons take Space only; people reaching a button with Tab press Enter
// as often. Installed on a button, Enter and Return click it too.
class EnterClicksFilter : public QObject {
public:
    using QObject::QObject;
    static void install(QAbstractButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace korvel
