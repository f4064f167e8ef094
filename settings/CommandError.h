#pragma once
#include <QString>
#include <stdexcept>

namespace korvel {

// A failure that must end the user's command and is shown to the user: the command
// catches it and shows message(), which says what went wrong in the user's terms.
//
// How failures cross the layers, one way at each boundary:
// - settings/ throws SettingsError (its kind says what refused) from the components
//   that read and write settings. The model translates it where it calls them into a
//   CommandError with the same message, so nothing above the model sees it.
// - project/ throws CommandError or a subclass (ProjectError, PictureError) from every
//   operation the windows call, with a message for the user, in Czech where the
//   program words it.
// - controls/, dialogs/ and app/ catch CommandError where a user's command ends
//   (runCommand shows it in the error box).
// A bool with a QString *error stays only where a failure ends no command: inside
// the low-level file and picture helpers, whose callers turn it into one of the
// above, and the recovery copy, whose failure is a note in the status line.
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace korvel
