#include "project/Fonts.h"

#include <QFont>
#include <QFontDatabase>

namespace korvel {

void installFontSubstitutes()
{
    const QString liberation = QStringLiteral("Liberation Sans");
    for (const char *name : {"Arial", "Arial CE", "Helvetica", "MS Sans Serif", "Microsoft Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(name), liberation);
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman CE"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier New CE"), QStringLiteral("Liberation Mono"));
}

} // namespace korvel
