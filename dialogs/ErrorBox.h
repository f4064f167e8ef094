#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace korvel {

// The application's standard error box: the message, the application's title as
// caption and one OK button.
void showErrorBox(QWidget *parent, const QString &message);

// Runs a user command; an error that ends it (storage refused, a picture that cannot
// be read: a CommandError, see CommandError.h) is shown in the error box. Returns
// whether the command completed.
bool runCommand(QWidget *parent, const std::function<void()> &command);

// Routes the settings components' messages to modal message boxes.
void installMessageBoxes();

} // namespace korvel
