#include "settings/TKivRegEntry.h"

#include "settings/SettingsError.h"
#include "settings/SettingsMessages.h"
#include "settings/UserRegistry.h"

namespace korvel {

TKivRegEntry::TKivRegEntry(QObject *owner)
    : TKivComponent(owner), m_area(QStringLiteral("\\Software\\Company\\Product")), m_section(QStringLiteral("ENTRY1"))
{
}

bool TKivRegEntry::configured() const
{
    if (!m_section.isEmpty() && !m_area.isEmpty())
        return true;
    // The text names Filename although the property here is Area; users know it so.
    showSettingsMessage(QStringLiteral("Please specify both Filename and Section for TRegEntry"));
    return false;
}

QString TKivRegEntry::ReadString(const QString &name)
{
    if (!configured())
        return QString();
    // Opening Area creates it. A store that cannot be written can still be read,
    // so a refusal here is not an error for a read.
    UserRegistry::createKey(m_area);
    if (name.isEmpty())
        return QString();

    // Looking into the subkey does not create it; a missing subkey has no values.
    QString result = MissingString();
    if (std::optional<QString> value = UserRegistry::readValue(UserRegistry::subkeyPath(m_area, m_section), name)) {
        const qsizetype nul = value->indexOf(QChar(u'\0'));
        result = nul >= 0 ? value->left(nul) : *value;
    }
    if (result == MissingString() && m_onError)
        m_onError(this);
    return result;
}

void TKivRegEntry::WriteString(const QString &name, const QString &value)
{
    if (!configured())
        return;
    if (!UserRegistry::createKey(m_area))
        throw SettingsError(SettingsError::Kind::CreateKey, QStringLiteral("Failed to create key %1").arg(m_area));
    if (name.isEmpty())
        return;
    const QString subkey = UserRegistry::subkeyPath(m_area, m_section);
    if (!UserRegistry::createKey(subkey))
        throw SettingsError(SettingsError::Kind::CreateKey, QStringLiteral("Failed to create key %1").arg(m_section));
    if (!UserRegistry::writeValue(subkey, name, value))
        throw SettingsError(SettingsError::Kind::SetData, QStringLiteral("Failed to set data for '%1'").arg(name));
}

} // namespace korvel
