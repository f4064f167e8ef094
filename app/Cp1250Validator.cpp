#include "app/Cp1250Validator.h"

#include "settings/Cp1250.h"

namespace korvel {

QValidator::State Cp1250Validator::validate(QString &input, int &) const
{
    QByteArray bytes;
    if (input.contains(QLatin1Char('\n')) || input.contains(QLatin1Char('\r')) || !encodeCp1250(input, &bytes))
        return Invalid;
    return Acceptable;
}

} // namespace korvel
