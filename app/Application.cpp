#include "app/Application.h"

#include <QApplication>

#include "app/ErrorBox.h"
#include "app/TFrmMain.h"
#include "dialogs/CzechTranslations.h"
#include "project/Fonts.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    installCzechTranslations(app);
    installFontSubstitutes();
    installMessageBoxes();

    TFrmMain window;
    // The first spine title dialog exists before any project is loaded: it holds
    // the spine picture state that loading sets.
    window.createSpineDialog();
    const QStringList args = app.arguments();
    window.Params(args.size() > 1 ? args.at(1) : QString());
    window.showMaximized();
    const int rc = app.exec();
    return rc;
}

} // namespace korvel
