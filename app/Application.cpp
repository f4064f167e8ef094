#include "app/Application.h"

#include <QApplication>

#include "app/TFrmMain.h"
#include "project/Fonts.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    installFontSubstitutes();
    TFrmMain window;
    window.showMaximized();
    return app.exec();
}

} // namespace korvel
