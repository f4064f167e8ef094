#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "project/Fonts.h"

// One QApplication for the whole test process: widget tests need it and the page
// needs a font database. Without a display the offscreen platform is used.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Window placement and the per-user store go to a folder of this run's own,
    // never to the real user's settings, however the tests are started.
    QTemporaryDir config;
    if (config.isValid())
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    korvel::installFontSubstitutes();
    return RUN_ALL_TESTS();
}
