// TKivRegEntry over the per-user store, redirected to a private folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>

#include "SettingsTestSupport.h"
#include "settings/SettingsError.h"
#include "settings/TKivRegEntry.h"
#include "settings/UserRegistry.h"

using namespace korvel;
using namespace korvel::testing;

namespace {

class RegEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previousStore = UserRegistry::storePath();
        store = dir.filePath(QStringLiteral("config/korvel/user-registry.ini"));
        UserRegistry::setStorePath(store);
        entry.SetArea(QStringLiteral("\\Software\\TORVA\\Korvel"));
        entry.SetSection(QStringLiteral("Temp"));
        entry.SetOnError([this](TKivComponent *sender) { senders.push_back(sender); });
    }
    void TearDown() override { UserRegistry::setStorePath(previousStore); }

    QTemporaryDir dir;
    QString previousStore;
    QString store;
    TKivRegEntry entry;
    std::vector<TKivComponent *> senders;
    MessageRecorder messages;
};

QString failure(const std::function<void()> &f, SettingsError::Kind *kind = nullptr)
{
    try {
        f();
    } catch (const SettingsError &e) {
        if (kind)
            *kind = e.kind();
        return e.message();
    }
    return QString();
}

} // namespace

TEST(RegEntryDefaults, AreaSectionAndStoreLocation)
{
    QObject owner;
    auto *entry = new TKivRegEntry(&owner);
    EXPECT_EQ(entry->Area(), "\\Software\\Company\\Product");
    EXPECT_EQ(entry->Section(), "ENTRY1");
    EXPECT_FALSE(entry->OnError());
    EXPECT_EQ(entry->parent(), &owner);
    // Without a redirection the store is in the user's configuration folder (the
    // test run points that at a build folder).
    const QString previous = UserRegistry::storePath();
    UserRegistry::setStorePath(QString());
    EXPECT_EQ(UserRegistry::storePath(), QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
                                             "/korvel/user-registry.ini");
    UserRegistry::setStorePath(QStringLiteral("/elsewhere/store.ini"));
    EXPECT_EQ(UserRegistry::storePath(), "/elsewhere/store.ini");
    UserRegistry::setStorePath(previous);
}

TEST_F(RegEntryTest, FreshStoreReadCreatesAreaButNotSection)
{
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "ERROR");
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], &entry);
    EXPECT_TRUE(UserRegistry::keyExists(QStringLiteral("\\Software\\TORVA\\Korvel")));
    EXPECT_TRUE(UserRegistry::keyExists(QStringLiteral("\\Software")));
    EXPECT_FALSE(UserRegistry::keyExists(QStringLiteral("\\Software\\TORVA\\Korvel\\Temp")));
    EXPECT_EQ(readBytes(store), "[Software\\TORVA\\Korvel]\r\n");
    // A second read changes nothing.
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "ERROR");
    EXPECT_EQ(readBytes(store), "[Software\\TORVA\\Korvel]\r\n");
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(RegEntryTest, WrittenValuesReadBackAndReplaceEarlierOnes)
{
    entry.WriteString(QStringLiteral("ImgLR"), QStringLiteral("[none]"));
    entry.WriteString(QStringLiteral("ImgLRName"), QStringLiteral("[none]"));
    entry.WriteString(QStringLiteral("ImgLR"), QStringLiteral("C:\\Obaly\\album"));
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "C:\\Obaly\\album");
    EXPECT_EQ(entry.ReadString(QStringLiteral("imglrname")), "[none]");
    EXPECT_EQ(readBytes(store), "[Software\\TORVA\\Korvel]\r\n[Software\\TORVA\\Korvel\\Temp]\r\n"
                                "ImgLR=C:\\Obaly\\album\r\nImgLRName=[none]\r\n");
    // Key paths are matched without regard to case or stray backslashes.
    TKivRegEntry other;
    other.SetArea(QStringLiteral("software\\torva\\KORVEL\\"));
    other.SetSection(QStringLiteral("temp"));
    EXPECT_EQ(other.ReadString(QStringLiteral("ImgLR")), "C:\\Obaly\\album");
    // Another section of the same area is another subkey.
    other.SetSection(QStringLiteral("Window"));
    EXPECT_EQ(other.ReadString(QStringLiteral("ImgLR")), "ERROR");
    EXPECT_TRUE(senders.empty());
}

TEST_F(RegEntryTest, TextIsKeptExactly)
{
    for (const QString &value : {QStringLiteral("  padded  "), QStringLiteral("\"quoted\""), QString(),
                                 QStringLiteral("/home/uživatel/Obrázky/obal.jpg"), QString(3000, u'x')}) {
        entry.WriteString(QStringLiteral("v"), value);
        EXPECT_EQ(entry.ReadString(QStringLiteral("v")), value);
    }
    // Data is cut at its first NUL character.
    entry.WriteString(QStringLiteral("nul"), QStringLiteral("abc") + QChar(u'\0') + QStringLiteral("def"));
    EXPECT_EQ(entry.ReadString(QStringLiteral("nul")), "abc");
}

TEST_F(RegEntryTest, UnconfiguredEntryShowsOneMessagePerCall)
{
    const QString text = QStringLiteral("Please specify both Filename and Section for TRegEntry");
    entry.SetSection(QString());
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "");
    entry.WriteString(QStringLiteral("ImgLR"), QStringLiteral("x"));
    entry.SetSection(QStringLiteral("Temp"));
    entry.SetArea(QString());
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "");
    entry.WriteString(QStringLiteral("ImgLR"), QStringLiteral("x"));
    EXPECT_EQ(messages.texts, QStringList(4, text));
    EXPECT_TRUE(senders.empty());
    EXPECT_FALSE(QFileInfo::exists(store));
}

TEST_F(RegEntryTest, EmptyValueNameStillOpensAreaButAccessesNothing)
{
    EXPECT_EQ(entry.ReadString(QString()), "");
    entry.WriteString(QString(), QStringLiteral("x"));
    EXPECT_EQ(readBytes(store), "[Software\\TORVA\\Korvel]\r\n");
    EXPECT_TRUE(senders.empty());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(RegEntryTest, StoredSentinelFiresOnError)
{
    entry.WriteString(QStringLiteral("ImgLR"), QStringLiteral("ERROR"));
    EXPECT_EQ(entry.ReadString(QStringLiteral("ImgLR")), "ERROR");
    EXPECT_EQ(senders.size(), 1u);
}

TEST_F(RegEntryTest, RefusedWritesRaiseTheStoreMessages)
{
    SettingsError::Kind kind{};
    EXPECT_EQ(failure([&] { entry.WriteString(QStringLiteral("v"), QStringLiteral("Ελληνικά")); }, &kind),
              "Failed to set data for 'v'");
    EXPECT_EQ(kind, SettingsError::Kind::SetData);
    EXPECT_EQ(failure([&] { entry.WriteString(QStringLiteral("v"), QStringLiteral("a\r\n[x]")); }),
              "Failed to set data for 'v'");
    EXPECT_EQ(failure([&] { entry.WriteString(QStringLiteral("a=b"), QStringLiteral("x")); }),
              "Failed to set data for 'a=b'");
    // The subkey was created before its value was refused; no value was stored.
    EXPECT_TRUE(UserRegistry::keyExists(QStringLiteral("Software\\TORVA\\Korvel\\Temp")));
    EXPECT_EQ(entry.ReadString(QStringLiteral("v")), "ERROR");

    // A store whose folder cannot be made (a file is in the way).
    const QString blocked = dir.filePath(QStringLiteral("blocker"));
    writeBytes(blocked, "x");
    UserRegistry::setStorePath(blocked + "/korvel/user-registry.ini");
    EXPECT_EQ(failure([&] { entry.WriteString(QStringLiteral("v"), QStringLiteral("x")); }, &kind),
              "Failed to create key \\Software\\TORVA\\Korvel");
    EXPECT_EQ(kind, SettingsError::Kind::CreateKey);
    // Reads carry on and find nothing.
    EXPECT_EQ(entry.ReadString(QStringLiteral("v")), "ERROR");
}

TEST_F(RegEntryTest, FailureToCreateTheSubkeyNamesIt)
{
    entry.ReadString(QStringLiteral("v")); // creates Area only
    const QByteArray before = readBytes(store);
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = before.size() + 4; // room for nothing more
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    SettingsError::Kind kind{};
    const QString message = failure([&] { entry.WriteString(QStringLiteral("v"), QStringLiteral("x")); }, &kind);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, "Failed to create key Temp");
    EXPECT_EQ(kind, SettingsError::Kind::CreateKey);
    EXPECT_EQ(readBytes(store), before);
}

TEST(UserRegistryPaths, Normalised)
{
    EXPECT_EQ(UserRegistry::keyPath(QStringLiteral("\\Software\\TORVA\\Korvel")), "Software\\TORVA\\Korvel");
    EXPECT_EQ(UserRegistry::keyPath(QStringLiteral("Software\\\\A\\")), "Software\\A");
    EXPECT_EQ(UserRegistry::subkeyPath(QStringLiteral("\\A\\B"), QStringLiteral("C")), "A\\B\\C");
    EXPECT_EQ(UserRegistry::subkeyPath(QStringLiteral("\\"), QStringLiteral("C")), "C");
    EXPECT_TRUE(UserRegistry::keyExists(QStringLiteral("\\")));
}
