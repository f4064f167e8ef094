#include "app/Application.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include "app/DesignerCommandLine.h"
#include "dialogs/ErrorBox.h"
#include "app/TFrmMain.h"
#include "dialogs/CzechTranslations.h"
#include "project/Fonts.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    if (const std::optional<int> answered = DesignerCommandLine::answer(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    // The installed launcher and icon (cmake --install) carry this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.torva.Korvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("cz.torva.Korvel")));
    installCzechTranslations(app);
    installFontSubstitutes();
    installMessageBoxes();

    // The one folder the program reads from where it was started: default.kvd.
    TFrmMain window(QDir::currentPath());
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
