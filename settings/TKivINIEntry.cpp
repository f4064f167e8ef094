#include "settings/TKivINIEntry.h"

#include "settings/IniFile.h"
#include "settings/IntegerText.h"
#include "settings/SettingsMessages.h"

namespace korvel {

TKivINIEntry::TKivINIEntry(QObject *owner)
    : TKivComponent(owner), m_filename(QStringLiteral("FILE.INI")), m_section(QStringLiteral("ENTRY1"))
{
}

bool TKivINIEntry::configured() const
{
    if (!m_section.isEmpty() && !m_filename.isEmpty())
        return true;
    showSettingsMessage(QStringLiteral("Please specify both Filename and Section for TINIEntry"));
    return false;
}

// The file accessor of a call only records the file name. It lives until the call
// returns, so an OnError handler runs while it is still open, and a handler that
// changes Filename does not redirect the call that is running.

QString TKivINIEntry::ReadString(const QString &name)
{
    if (!configured() || name.isEmpty())
        return QString();
    const IniFile accessor(m_filename);
    const QString result = accessor.readString(m_section, name, MaxValueLength).value_or(MissingString());
    if (result == MissingString() && m_onError)
        m_onError(this);
    return result;
}

void TKivINIEntry::WriteString(const QString &name, const QString &value)
{
    if (!configured() || name.isEmpty())
        return;
    IniFile(m_filename).writeString(m_section, name, value);
}

void TKivINIEntry::WriteStrings(const QList<std::pair<QString, QString>> &values)
{
    if (!configured())
        return;
    QList<std::pair<QString, QString>> named;
    for (const auto &entry : values)
        if (!entry.first.isEmpty())
            named.append(entry);
    IniFile(m_filename).writeStrings(m_section, named);
}

int TKivINIEntry::ReadInteger(const QString &name)
{
    if (!configured() || name.isEmpty())
        return NeutralInteger;
    const IniFile accessor(m_filename);
    const QString text = accessor.readString(m_section, name, MaxValueLength).value_or(QString());
    const int result = strToIntDef(text, MissingInteger);
    if (result == MissingInteger && m_onError)
        m_onError(this);
    return result;
}

void TKivINIEntry::WriteInteger(const QString &name, int value)
{
    if (!configured() || name.isEmpty())
        return;
    IniFile(m_filename).writeString(m_section, name, QString::number(value));
}

bool TKivINIEntry::ReadBool(const QString &name)
{
    if (!configured() || name.isEmpty())
        return false;
    const IniFile accessor(m_filename);
    const QString text = accessor.readString(m_section, name, MaxValueLength).value_or(QString());
    return strToIntDef(text, 0) != 0;
}

void TKivINIEntry::WriteBool(const QString &name, bool value)
{
    if (!configured() || name.isEmpty())
        return;
    IniFile(m_filename).writeString(m_section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace korvel
