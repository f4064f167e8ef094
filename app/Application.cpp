#include "app/Application.h"

#include <QApplication>
#include <QMainWindow>

#include "project/Fonts.h"

namespace korvel {

int runDesigner(int argc, char **argv)
{
    QApplication app(argc, argv);
    installFontSubstitutes();
    QMainWindow window;
    window.showMaximized();
    return app.exec();
}

} // namespace korvel
