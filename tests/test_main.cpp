#include <QApplication>
#include <gtest/gtest.h>

#include "project/Fonts.h"

// One QApplication for the whole test process: widget tests need it and the page
// needs a font database. Without a display the offscreen platform is used.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    korvel::installFontSubstitutes();
    return RUN_ALL_TESTS();
}
