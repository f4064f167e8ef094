#include "settings/SettingsMessages.h"

#include <QGuiApplication>
#include <cstdio>

namespace korvel {

namespace {

void writeToStderr(const QString &caption, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
}

SettingsMessageHandler &currentHandler()
{
    static SettingsMessageHandler handler = writeToStderr;
    return handler;
}

} // namespace

SettingsMessageHandler setSettingsMessageHandler(SettingsMessageHandler handler)
{
    SettingsMessageHandler previous = std::move(currentHandler());
    currentHandler() = handler ? std::move(handler) : SettingsMessageHandler(writeToStderr);
    return previous;
}

void showSettingsMessage(const QString &text)
{
    // The display name falls back to the application name when none is set, and
    // both work without a running application object.
    const SettingsMessageHandler handler = currentHandler(); // a handler may replace itself
    handler(QGuiApplication::applicationDisplayName(), text);
}

} // namespace korvel
