#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "dialogs/CzechTranslations.h"
#include "settings/Fonts.h"

// One QApplication for the whole test process: widget tests need it and the page
// needs a font database. Without a display the offscreen platform is used.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Window placement, the per-user store, recent files and recovery copies go to a
    // home of this run's own, never to the real user's, however the tests are started.
    // The locale and time zone are pinned too, so no result depends on the machine.
    // A test that starts this program as a second designer process hands it a home of
    // its choosing (KORVEL_TEST_HOME), so both see the same per-user folders.
    QTemporaryDir home;
    const QByteArray given = qgetenv("KORVEL_TEST_HOME");
    if (!given.isEmpty() || home.isValid()) {
        const QByteArray h = given.isEmpty() ? QFile::encodeName(home.path()) : given;
        qputenv("HOME", h);
        qputenv("XDG_CONFIG_HOME", h + "/config");
        qputenv("XDG_DATA_HOME", h + "/data");
        qputenv("XDG_STATE_HOME", h + "/state");
        qputenv("XDG_CACHE_HOME", h + "/cache");
    }
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "UTC");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // As the designer does: Qt's own dialogs and buttons speak Czech.
    korvel::installCzechTranslations(app);
    korvel::installFontSubstitutes();
    return RUN_ALL_TESTS();
}
