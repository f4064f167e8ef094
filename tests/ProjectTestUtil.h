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
#include "FolderTestUtil.h"

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

inline Picture loadPicture(const QString &path)
{
    Picture p;
    QString error;
    EXPECT_TRUE(p.loadFromFile(path, &error)) << error.toStdString();
    return p;
}

// A private folder for the test's files (work) and a registry store, the page with
// an INI entry and a spine picture state, and every message shown. The process runs
// in another, empty folder (elsewhere): the program must find a project's files by
// the project's folder, never by the folder it was started in.
class ProjectFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(elsewhere.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        UserRegistry::setStorePath(work.filePath(QStringLiteral("registry/store.ini")));
        previousHandler = setSettingsMessageHandler(
            [this](const QString &, const QString &text) { messages << text; });
        configureProjectEntry(ini);
        configureSpinePictureEntry(reg);
        spine.setFolder(work.path());
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
        SpinePictureState &spine = session.spine;
        ProjectContext &context = session.context;
        void open(const QString &path) { session.open(path); }
    };

    QTemporaryDir work;
    QTemporaryDir elsewhere;
    QString previousDir;
    SettingsMessageHandler previousHandler;
    QStringList messages;
    CoverPage page;
    TKivINIEntry ini;
    TKivRegEntry reg;
    SpinePictureState spine{page};
    QString caption;
    ProjectContext context{page, ini, spine, [this](const QString &c) { caption = c; }};
};

} // namespace korvel::test
