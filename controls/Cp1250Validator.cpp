#include "controls/Cp1250Validator.h"

#include "settings/Cp1250.h"

namespace korvel {

QValidator::State Cp1250Validator::validate(QString &input, int &pos) const
{
    QByteArray bytes;
    const bool hasBreak = input.contains(QLatin1Char('\n')) || input.contains(QLatin1Char('\r'));
    if (!hasBreak && encodeCp1250(input, &bytes))
        return Acceptable;
    // A pasted CR LF becomes one space, like any other line break.
    QString text = input;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString removed;
    const QString kept = keepCp1250(text, &removed);
    // The caret stays after what was typed or pasted: it moves back by what was
    // removed before it.
    const QString before = keepCp1250(QString(text.left(pos)));
    pos = int(before.size());
    input = kept;
    if (!removed.isEmpty())
        emit dropped(removed);
    return Acceptable;
}

QString droppedCharactersNotice(const QString &characters)
{
    QStringList each;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const qsizetype n = characters[i].isHighSurrogate() && i + 1 < characters.size() ? 2 : 1;
        each << characters.mid(i, n);
        i += n - 1;
    }
    return QStringLiteral("Vynecháno (soubor projektu to neumí uložit): %1").arg(each.join(QStringLiteral(" ")));
}

} // namespace korvel
