#pragma once
#include <QString>
#include <stdexcept>

namespace korvel {

// A picture that could not be loaded or saved where the failure must end the user's
// command (the spine picture switch run by a project load, for instance). The
// command catches it and shows message() in the application's error box.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace korvel
