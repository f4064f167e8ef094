#pragma once
#include <QObject>
#include <functional>

namespace korvel {

// Base of the library's non-visual components: owned by its form (the QObject
// parent, so it is destroyed with it) and named like any component (objectName).
class TKivComponent : public QObject {
public:
    explicit TKivComponent(QObject *owner = nullptr) : QObject(owner) {}
};

// A notification with the component that raised it as sender.
using TNotifyEvent = std::function<void(TKivComponent *sender)>;

} // namespace korvel
