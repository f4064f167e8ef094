#include "app/Application.h"

#include <QApplication>

#include "app/ErrorBox.h"
#include "app/TFrmMain.h"
#include "project/Fonts.h"
#include "spine/SpinePictureState.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    installFontSubstitutes();
    installMessageBoxes();

    TFrmMain window;
    // The spine picture state lives as long as the window; the spine title dialog
    // takes it over when it exists.
    SpinePictureState spineState(window.page());
    const QStringList args = app.arguments();
    window.Params(args.size() > 1 ? args.at(1) : QString());
    window.showMaximized();
    const int rc = app.exec();
    return rc;
}

} // namespace korvel
