#pragma once
#include "settings/TKivComponent.h"

#include <QString>

namespace korvel {

// Typed access to string values in one subkey (Section) of one key (Area) of the
// per-user store (UserRegistry.h), which stands in for the current user's registry
// root. Area is a path such as "\Software\TORVA\Korvel".
//
// Nothing is cached: every call opens the store, does one read or one write and
// closes it. The frame of every call:
//  1. With an empty Section or an empty Area, the message
//     "Please specify both Filename and Section for TRegEntry" is shown once (see
//     SettingsMessages.h) and the call returns "" or does nothing.
//  2. The key Area is opened and created if it does not exist, on reads too.
//  3. With an empty value name the call returns "" or does nothing, silently.
//  4. ReadString looks in the subkey Section without creating it and returns the
//     value's text cut at its first NUL character, or MissingString() "ERROR" when
//     the subkey or the value does not exist; then, if the result is "ERROR", it calls
//     OnError once with this entry as sender. WriteString creates the subkey as
//     needed and stores the text, replacing an earlier value.
//
// Errors, thrown as SettingsError from WriteString: "Failed to create key %s" (the
// key that could not be created: Area, or the subkey Section) and "Failed to set
// data for '%s'" (the value name) when the store cannot be written or cannot hold
// the text (a line break, characters outside code page Windows-1250, or a value name
// with "=" or starting with "["). The store keeps only string values, so "Invalid
// data type for '%s'" does not arise. ReadString never throws; when the store
// cannot be written it reads without creating Area.
class TKivRegEntry : public TKivComponent {
public:
    static QString MissingString() { return QStringLiteral("ERROR"); }

    // Area "\Software\Company\Product", Section "ENTRY1".
    explicit TKivRegEntry(QObject *owner = nullptr);

    const QString &Area() const { return m_area; }
    // Only stores the path.
    void SetArea(const QString &area) { m_area = area; }

    const QString &Section() const { return m_section; }
    void SetSection(const QString &section) { m_section = section; }

    const TNotifyEvent &OnError() const { return m_onError; }
    void SetOnError(TNotifyEvent handler) { m_onError = std::move(handler); }

    QString ReadString(const QString &name);
    void WriteString(const QString &name, const QString &value);

private:
    bool configured() const;

    QString m_area;
    TNotifyEvent m_onError;
    QString m_section;
};

} // namespace korvel
