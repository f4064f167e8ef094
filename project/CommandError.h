#pragma once
#include <QString>
#include <stdexcept>

namespace korvel {

// A failure that must end the user's command and is shown to the user: the command
// catches it and shows message(), which says what went wrong in the user's terms.
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
