#pragma once
#include <QString>
#include <functional>

namespace korvel {

// Shows a message about misuse of a settings component (an entry with no file or
// section). The core library has no widgets, so the message goes through a handler
// that the user interface replaces with a modal message box (one OK button); until
// then it is written to stderr. The caption is the application's title.
using SettingsMessageHandler = std::function<void(const QString &caption, const QString &text)>;

// Installs the handler; an empty function restores the stderr default. Returns the
// handler that was installed before, so a test can put it back.
SettingsMessageHandler setSettingsMessageHandler(SettingsMessageHandler handler);

// Calls the handler once with the application's title as caption.
void showSettingsMessage(const QString &text);

} // namespace korvel
