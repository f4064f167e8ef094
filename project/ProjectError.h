#pragma once
#include <QString>
#include <stdexcept>

namespace korvel {

// A file that cannot be opened as a project at all: missing, unreadable, or not a
// project (no "SecCD" section, not text). Thrown before anything is changed; the
// command catches it and shows message(), which is in Czech and names the file.
class ProjectError : public std::runtime_error {
public:
    explicit ProjectError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace korvel
