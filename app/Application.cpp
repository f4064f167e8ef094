#include "app/Application.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>

#include "app/DesignerCommandLine.h"
#include "dialogs/ErrorBox.h"
#include "app/TFrmMain.h"
#include "dialogs/CzechTranslations.h"
#include "settings/Fonts.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    QString project;
    if (const std::optional<int> answered = DesignerCommandLine::answer(argc, argv, &project))
        return *answered;
    // The command line has been read above, and it is the designer's alone: Qt gets
    // none of it, so a project after "--" named like one of Qt's options ("-reverse")
    // stays a project. Qt's own settings still come from its environment variables.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    // The installed launcher and icon (cmake --install) carry this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.torva.Korvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("cz.torva.Korvel")));
    // Czech whatever the system's locale: numbers in Qt's dialogs ("210,00 mm"), and
    // the dates and file type names of the file dialogs.
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    installCzechTranslations(app);
    installFontSubstitutes();
    installMessageBoxes();

    // The one folder the program reads from where it was started: default.kvd.
    TFrmMain window(QDir::currentPath());
    window.Params(project);
    window.showMaximized();
    const int rc = app.exec();
    return rc;
}

} // namespace korvel
