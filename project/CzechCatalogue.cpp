#include "project/CzechCatalogue.h"

#include <QCoreApplication>
#include <QTranslator>

namespace korvel {

bool installOwnCzechCatalogue(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/translations/korvel_qt_extra_cs.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace korvel
