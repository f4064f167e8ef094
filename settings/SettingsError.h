#pragma once
#include <QString>
#include <stdexcept>

namespace korvel {

// A failure of settings storage that must end the user's command: the file or the
// per-user store refused a write, or the text cannot be stored without loss. It is
// not caught inside the settings components; the model that called them passes it
// on as a CommandError with the same message (see CommandError.h), which the
// command shows in the application's error box.
class SettingsError : public std::runtime_error {
public:
    enum class Kind {
        WriteRefused,    // "Unable to write to %s": the INI file could not be replaced
        LineBreak,       // a name or value holds CR or LF, which would split the line
        ReservedName,    // a key name that would read back as something else ("=", "[")
        Unrepresentable, // characters that code page Windows-1250 cannot hold
        CreateKey,       // "Failed to create key %s" (per-user store)
        SetData,         // "Failed to set data for '%s'" (per-user store)
        InvalidType,     // "Invalid data type for '%s'" (per-user store)
    };

    SettingsError(Kind kind, const QString &message);

    Kind kind() const { return m_kind; }
    const QString &message() const { return m_message; }

private:
    Kind m_kind;
    QString m_message;
};

} // namespace korvel
