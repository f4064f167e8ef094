#pragma once
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "project/CoverPage.h"
#include "project/CoverDocument.h"
#include "project/DocumentSnapshot.h"
#include "project/ProjectFile.h"
#include "settings/SettingsMessages.h"
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

// A picture made from an image, through the PNG reader the designer uses.
inline Picture pictureOfImage(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromData(bytes, QStringLiteral(".png"), &error)) << error.toStdString();
    return picture;
}

// The registry entry of the remembered spine picture: \Software\TORVA\Korvel, Temp.
inline void configureSpinePictureEntry(TKivRegEntry &entry)
{
    entry.SetArea(QString::fromLatin1(SpinePictureState::kArea));
    entry.SetSection(QString::fromLatin1(SpinePictureState::kSection));
}

// A private folder for the test's files (work) and a registry store, a page with a
// spine picture state to build a cover on, and every message shown. The process runs
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
        configureSpinePictureEntry(reg);
        spine.setFolder(work.path());
    }
    void TearDown() override
    {
        QDir::setCurrent(previousDir);
        setSettingsMessageHandler(previousHandler);
        UserRegistry::setStorePath(QString());
    }

    // Saves the cover built on page and spine as the designer saves its cover.
    void save(const QString &path)
    {
        if (page.CDL().gradient().Visible) {
            try {
                spine.rememberedPicture(); // the side file holds the remembered picture
            } catch (const std::exception &) {
            }
        }
        saveProjectFiles(DocumentSnapshot::of(page, spine), path);
    }

    // A document of its own, with the creation defaults, to open projects into as
    // the designer does.
    struct Session {
        QTemporaryDir start;
        CoverDocument document{start.path()};
        CoverPage &page = document.page();
        SpinePictureState &spine = document.spine();
        QStringList open(const QString &path) { return document.open(path); }
        void save(const QString &path) { document.save(path, true); }
        QString caption() const { return document.caption(); }
    };

    QTemporaryDir work;
    QTemporaryDir elsewhere;
    QString previousDir;
    SettingsMessageHandler previousHandler;
    QStringList messages;
    CoverPage page;
    TKivRegEntry reg;
    SpinePictureState spine{page};
};

} // namespace korvel::test
