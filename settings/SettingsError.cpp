#include "settings/SettingsError.h"

namespace korvel {

SettingsError::SettingsError(Kind kind, const QString &message)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message)
{
}

} // namespace korvel
