#pragma once
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "project/CoverPage.h"
#include "project/ProjectSession.h"
#include "settings/SettingsMessages.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "settings/UserRegistry.h"
#include "project/SpinePictureState.h"

namespace korvel::test {

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline QString testData(const char *relative)
{
    return QStringLiteral(KORVEL_TEST_DATA "/") + QString::fromUtf8(relative);
}

// A private working directory and registry store, the page with the window's INI
// and registry entries and a current spine picture state, and every message shown.
class ProjectFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(work.path());
        UserRegistry::setStorePath(work.filePath(QStringLiteral("registry/store.ini")));
        previousHandler = setSettingsMessageHandler(
            [this](const QString &, const QString &text) { messages << text; });
        configureProjectEntry(ini);
        configureSpinePictureEntry(reg);
    }
    void TearDown() override
    {
        QDir::setCurrent(previousDir);
        setSettingsMessageHandler(previousHandler);
        UserRegistry::setStorePath(QString());
    }

    // A fresh window's worth of state to load into, as the designer has it.
    struct Session {
        CoverPage page;
        QString caption;
        ProjectSession session{page, [this](const QString &c) { caption = c; }};
        TKivRegEntry &reg = session.reg;
        SpinePictureState &spine = session.spine;
        ProjectContext &context = session.context;
        void open(const QString &path) { session.open(path); }
    };

    QTemporaryDir work;
    QString previousDir;
    SettingsMessageHandler previousHandler;
    QStringList messages;
    CoverPage page;
    TKivINIEntry ini;
    TKivRegEntry reg;
    SpinePictureState spine{page};
    QString caption;
    ProjectContext context{page, ini, reg, spine, [this](const QString &c) { caption = c; }};
};

} // namespace korvel::test
