// TKivINIEntry and the file layer under it, on real files in a private folder.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FolderTestUtil.h"
#include "SettingsTestSupport.h"
#include "settings/IniFile.h"
#include "settings/IntegerText.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"

using namespace korvel;
using namespace korvel::testing;
using namespace korvel::test;

namespace {

class IniEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        entry.SetFilename(path("project.kvp"));
        entry.SetSection(QStringLiteral("SecCD"));
        entry.SetOnError([this](TKivComponent *sender) { senders.push_back(sender); });
    }

    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray fileBytes() const { return readBytes(entry.Filename()); }
    void setFile(const QByteArray &bytes) { writeBytes(entry.Filename(), bytes); }

    QTemporaryDir dir;
    TKivINIEntry entry;
    std::vector<TKivComponent *> senders;
    MessageRecorder messages;
};


} // namespace

TEST(IniEntryDefaults, FilenameSectionAndNoHandler)
{
    QObject owner;
    auto *entry = new TKivINIEntry(&owner);
    EXPECT_EQ(entry->Filename(), "FILE.INI");
    EXPECT_EQ(entry->Section(), "ENTRY1");
    EXPECT_FALSE(entry->OnError());
    EXPECT_EQ(entry->parent(), &owner);
    entry->SetFilename(QStringLiteral("/no/such/dir/x.ini")); // only stored
    EXPECT_EQ(entry->Filename(), "/no/such/dir/x.ini");
}

TEST_F(IniEntryTest, WrittenValuesAreStoredAsText)
{
    entry.WriteString(QStringLiteral("MTN-Tx"), QStringLiteral("Nadpis"));
    entry.WriteInteger(QStringLiteral("MTN-Cl"), -2147483640);
    entry.WriteInteger(QStringLiteral("MTN-Sz"), 48);
    entry.WriteInteger(QStringLiteral("Neg"), -5);
    entry.WriteBool(QStringLiteral("MTN-FsB"), true);
    entry.WriteBool(QStringLiteral("MTN-FsI"), false);
    EXPECT_EQ(fileBytes(), "[SecCD]\r\nMTN-Tx=Nadpis\r\nMTN-Cl=-2147483640\r\nMTN-Sz=48\r\nNeg=-5\r\n"
                           "MTN-FsB=1\r\nMTN-FsI=0\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("mtn-tx")), "Nadpis");
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("MTN-Cl")), -2147483640);
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("MTN-FsB")));
    EXPECT_FALSE(entry.ReadBool(QStringLiteral("MTN-FsI")));
    EXPECT_TRUE(senders.empty());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(IniEntryTest, RewriteKeepsTheKeySpellingOfTheFile)
{
    setFile("[SecCD]\r\nMTN-Tx=Old\r\nMTN-Al=Left\r\n");
    entry.WriteString(QStringLiteral("MTn-Tx"), QStringLiteral("Nový"));
    EXPECT_EQ(fileBytes(), "[SecCD]\r\nMTN-Tx=Nov\xFD\r\nMTN-Al=Left\r\n");
}

TEST_F(IniEntryTest, MissingValuesGiveSentinelsAndFireOnErrorOnce)
{
    // Missing file.
    EXPECT_EQ(entry.ReadString(QStringLiteral("MTN-Tx")), "ERROR");
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], &entry);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("MTN-Sz")), -11073);
    EXPECT_EQ(senders.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(entry.Filename())); // reads create nothing

    // Missing section, then missing key.
    setFile("[Other]\r\nMTN-Tx=x\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("MTN-Tx")), "ERROR");
    setFile("[SecCD]\r\nMTN-Al=Left\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("MTN-Tx")), "ERROR");
    EXPECT_EQ(senders.size(), 4u);

    // A stored sentinel cannot be told from a missing value.
    setFile("[SecCD]\r\nT=ERROR\r\nI=-11073\r\nt=error\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("T")), "ERROR");
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("I")), -11073);
    EXPECT_EQ(senders.size(), 6u);
    // The comparison is exact: another spelling is just text.
    setFile("[SecCD]\r\nT=error\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("T")), "error");
    EXPECT_EQ(senders.size(), 6u);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(IniEntryTest, ReadBoolNeverFiresOnError)
{
    setFile("[SecCD]\r\nz=0\r\na=abc\r\none=1\r\ntwo=2\r\nneg=-1\r\nhex=0x10\r\nmiss=-11073\r\n");
    EXPECT_FALSE(entry.ReadBool(QStringLiteral("missing")));
    EXPECT_FALSE(entry.ReadBool(QStringLiteral("z")));
    EXPECT_FALSE(entry.ReadBool(QStringLiteral("a")));
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("one")));
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("two")));
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("neg")));
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("hex")));
    EXPECT_TRUE(entry.ReadBool(QStringLiteral("miss")));
    EXPECT_TRUE(senders.empty());
}

TEST_F(IniEntryTest, ReadIntegerConversion)
{
    setFile("[SecCD]\r\nhex=0x1F\r\ndollar=$1f\r\nblanks=\"  42\"\r\nspaced=4 2\r\nabc=abc\r\nempty=\r\n"
            "plus=+7\r\nbig=2147483647\r\nover=2147483648\r\nsmall=-2147483648\r\n");
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("hex")), 31);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("dollar")), 31);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("blanks")), 42);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("plus")), 7);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("big")), 2147483647);
    EXPECT_EQ(entry.ReadInteger(QStringLiteral("small")), -2147483647 - 1);
    EXPECT_TRUE(senders.empty());
    for (const char *bad : {"spaced", "abc", "empty", "over"}) {
        SCOPED_TRACE(bad);
        senders.clear();
        EXPECT_EQ(entry.ReadInteger(QString::fromLatin1(bad)), -11073);
        EXPECT_EQ(senders.size(), 1u);
    }
}

TEST(IntegerText, ConversionRules)
{
    const int d = -99;
    EXPECT_EQ(strToIntDef(u"0", d), 0);
    EXPECT_EQ(strToIntDef(u"-0", d), 0);
    EXPECT_EQ(strToIntDef(u"007", d), 7);
    EXPECT_EQ(strToIntDef(u"00000000000000000042", d), 42);
    EXPECT_EQ(strToIntDef(u"  -5", d), -5);
    EXPECT_EQ(strToIntDef(u"0X1f", d), 31);
    EXPECT_EQ(strToIntDef(u"$FFFFFFFF", d), -1);
    EXPECT_EQ(strToIntDef(u"$80000008", d), int(0x80000008u));
    EXPECT_EQ(strToIntDef(u"$7fffffff", d), 2147483647);
    for (const char16_t *bad : {u"", u" ", u"+", u"-", u"$", u"0x", u"0x 1", u"x1F", u"$100000000", u"-$1",
                                u"5 ", u"\t5", u"1e3", u"2147483648", u"-2147483649",
                                u"99999999999999999999", u"  0x10", u"$g", u"--1", u"+-1", u"½"}) {
        SCOPED_TRACE(QString::fromUtf16(bad).toStdString());
        EXPECT_EQ(strToIntDef(bad, d), d);
    }
}

TEST_F(IniEntryTest, UnconfiguredEntryShowsOneMessagePerCallAndDoesNothing)
{
    const QString previousTitle = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Lurdan CD"));
    setFile("[SecCD]\r\nk=1\r\n");
    const QByteArray before = fileBytes();
    const QString file = entry.Filename();
    const QString text = QStringLiteral("Please specify both Filename and Section for TINIEntry");

    for (int which = 0; which < 2; ++which) {
        if (which == 0) {
            entry.SetSection(QString());
        } else {
            entry.SetSection(QStringLiteral("SecCD"));
            entry.SetFilename(QString());
        }
        messages.texts.clear();
        EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "");
        EXPECT_EQ(entry.ReadInteger(QStringLiteral("k")), -11037);
        EXPECT_FALSE(entry.ReadBool(QStringLiteral("k")));
        entry.WriteString(QStringLiteral("k"), QStringLiteral("x"));
        entry.WriteInteger(QStringLiteral("k"), 5);
        entry.WriteBool(QStringLiteral("k"), true);
        EXPECT_EQ(messages.texts, QStringList(6, text));
        EXPECT_EQ(messages.captions, QStringList(6, QStringLiteral("Lurdan CD")));
        messages.captions.clear();
        EXPECT_TRUE(senders.empty());
    }
    EXPECT_EQ(readBytes(file), before);
    QGuiApplication::setApplicationDisplayName(previousTitle);
}

TEST_F(IniEntryTest, EmptyValueNameGivesNeutralResultsSilently)
{
    setFile("[SecCD]\r\n=nameless\r\n");
    const QByteArray before = fileBytes();
    EXPECT_EQ(entry.ReadString(QString()), "");
    EXPECT_EQ(entry.ReadInteger(QString()), -11037);
    EXPECT_FALSE(entry.ReadBool(QString()));
    entry.WriteString(QString(), QStringLiteral("x"));
    entry.WriteInteger(QString(), 1);
    entry.WriteBool(QString(), true);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(senders.empty());
}

TEST_F(IniEntryTest, LongValuesAreCutTo1023Characters)
{
    QString value;
    for (int i = 0; i < 2000; ++i)
        value += QChar(u"aáčZ"[i % 4]);
    entry.WriteString(QStringLiteral("long"), value);
    EXPECT_EQ(fileBytes().size(), qsizetype(sizeof("[SecCD]\r\nlong=\r\n") - 1 + 2000)); // stored whole
    EXPECT_EQ(entry.ReadString(QStringLiteral("long")), value.left(1023));
    entry.WriteString(QStringLiteral("exact"), value.left(1023));
    EXPECT_EQ(entry.ReadString(QStringLiteral("exact")), value.left(1023));
    // The cut counts characters after the quotes come off.
    setFile("[SecCD]\r\nq=\"" + QByteArray(1023, 'x') + "\"\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("q")), QString(1023, u'x'));
}

TEST_F(IniEntryTest, ChangingFilenameTakesEffectAtTheNextCall)
{
    entry.WriteString(QStringLiteral("k"), QStringLiteral("first"));
    entry.SetFilename(path("other.kvp"));
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "ERROR");
    entry.WriteString(QStringLiteral("k"), QStringLiteral("second"));
    entry.SetFilename(path("project.kvp"));
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "first");
    // Nothing is cached: a change made behind the entry's back is seen at once.
    setFile("[SecCD]\r\nk=edited\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "edited");
}

TEST_F(IniEntryTest, OnErrorMayUseTheEntryAgain)
{
    setFile("[SecCD]\r\nfallback=7\r\n");
    int nested = 0;
    entry.SetOnError([&](TKivComponent *sender) {
        auto *self = static_cast<TKivINIEntry *>(sender);
        nested = self->ReadInteger(QStringLiteral("fallback"));
        self->WriteString(QStringLiteral("seen"), QStringLiteral("1"));
    });
    EXPECT_EQ(entry.ReadString(QStringLiteral("missing")), "ERROR");
    EXPECT_EQ(nested, 7);
    EXPECT_EQ(entry.ReadString(QStringLiteral("seen")), "1");
}

TEST_F(IniEntryTest, Windows1250TextRoundTrips)
{
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy – „€“");
    entry.WriteString(QStringLiteral("t"), czech);
    EXPECT_EQ(fileBytes(), "[SecCD]\r\nt=P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
                           "belsk\xE9 \xF3\x64y \x96 \x84\x80\x93\r\n");
    EXPECT_EQ(entry.ReadString(QStringLiteral("t")), czech);

    // Every byte 0x80-0xFF, also the five the code page leaves unassigned, comes back
    // as it was when the value is read and written again.
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high.append(char(b));
    setFile("[SecCD]\r\nh=" + high + "\r\n");
    const QString decoded = entry.ReadString(QStringLiteral("h"));
    EXPECT_EQ(decoded.size(), 128);
    entry.WriteString(QStringLiteral("h"), decoded);
    EXPECT_EQ(fileBytes(), "[SecCD]\r\nh=" + high + "\r\n");
}

TEST_F(IniEntryTest, TextTheCodePageCannotHoldIsReportedNotWritten)
{
    setFile("[SecCD]\r\nk=old\r\n");
    const QByteArray before = fileBytes();
    for (const QString &value : {QStringLiteral("Ελληνικά"), QStringLiteral("日本"), QStringLiteral("emoji 😀"),
                                 QStringLiteral("ß is fine but ñ is not")}) {
        SCOPED_TRACE(value.toStdString());
        try {
            entry.WriteString(QStringLiteral("k"), value);
            ADD_FAILURE() << "no error";
        } catch (const SettingsError &e) {
            EXPECT_EQ(e.kind(), SettingsError::Kind::Unrepresentable);
        }
    }
    EXPECT_THROW(entry.WriteString(QStringLiteral("ключ"), QStringLiteral("v")), SettingsError);
    entry.SetSection(QStringLiteral("Σ"));
    EXPECT_THROW(entry.WriteInteger(QStringLiteral("k"), 1), SettingsError);
    EXPECT_EQ(fileBytes(), before);
    // A name that cannot be in the file simply is not found.
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "ERROR");
}

TEST_F(IniEntryTest, LineBreaksAreRefusedBeforeTheFileIsTouched)
{
    setFile("[SecCD]\r\nk=old\r\n");
    const QByteArray before = fileBytes();
    for (const QString &value : {QStringLiteral("a\r\n[Evil]\r\nx=1"), QStringLiteral("a\nb"), QStringLiteral("a\r")}) {
        try {
            entry.WriteString(QStringLiteral("k"), value);
            ADD_FAILURE() << "no error";
        } catch (const SettingsError &e) {
            EXPECT_EQ(e.kind(), SettingsError::Kind::LineBreak);
            EXPECT_TRUE(e.message().contains(QLatin1String("\"k\"")));
        }
    }
    EXPECT_THROW(entry.WriteString(QStringLiteral("k\nx"), QStringLiteral("v")), SettingsError);
    EXPECT_THROW(entry.WriteString(QStringLiteral("a=b"), QStringLiteral("v")), SettingsError);
    entry.SetSection(QStringLiteral("Sec\r\nCD"));
    EXPECT_THROW(entry.WriteBool(QStringLiteral("k"), true), SettingsError);
    EXPECT_EQ(fileBytes(), before);
}

// The error of a refused write, or an empty string when the write went through.
QString refusal(const std::function<void()> &write)
{
    try {
        write();
    } catch (const SettingsError &e) {
        EXPECT_EQ(e.kind(), SettingsError::Kind::WriteRefused);
        EXPECT_EQ(std::string(e.what()), e.message().toStdString());
        return e.message();
    }
    return QString();
}

TEST_F(IniEntryTest, FullDiskRaisesAndLeavesTheOldFile)
{
    setFile("[SecCD]\r\nk=old\r\n");
    const QByteArray before = fileBytes();
    // A file size limit makes the write of the temporary file fail the way a full
    // disk does, whoever runs the test.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = refusal([&] { entry.WriteString(QStringLiteral("k"), QString(1000, u'x')); });
    const QString fresh = refusal([&] {
        TKivINIEntry other;
        other.SetFilename(path("new.kvp"));
        other.WriteString(QStringLiteral("k"), QString(1000, u'x'));
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(message, QStringLiteral("Unable to write to %1").arg(entry.Filename()));
    EXPECT_EQ(fresh, QStringLiteral("Unable to write to %1").arg(path("new.kvp")));
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "old");
    // Neither a half-written file nor a temporary one is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("project.kvp")});
}

TEST_F(IniEntryTest, WritesToAMissingFolderOrThroughAFileRaise)
{
    setFile("[SecCD]\r\nk=old\r\n");
    const QString missing = path("no-such-folder/x.kvp");
    entry.SetFilename(missing);
    EXPECT_EQ(refusal([&] { entry.WriteString(QStringLiteral("k"), QStringLiteral("v")); }),
              QStringLiteral("Unable to write to %1").arg(missing));
    EXPECT_FALSE(QFileInfo::exists(path("no-such-folder")));
    const QString underFile = path("project.kvp/x.kvp");
    entry.SetFilename(underFile);
    EXPECT_EQ(refusal([&] { entry.WriteBool(QStringLiteral("k"), true); }),
              QStringLiteral("Unable to write to %1").arg(underFile));
    entry.SetFilename(dir.path()); // a folder where the file should be
    EXPECT_FALSE(refusal([&] { entry.WriteInteger(QStringLiteral("k"), 1); }).isEmpty());
    EXPECT_EQ(readBytes(path("project.kvp")), "[SecCD]\r\nk=old\r\n");
}

TEST_F(IniEntryTest, ReadOnlyFilesAndFoldersRefuseWrites)
{
    if (runningAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    setFile("[SecCD]\r\nk=old\r\n");
    const QByteArray before = fileBytes();
    const QString expected = QStringLiteral("Unable to write to %1").arg(entry.Filename());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray file = QFile::encodeName(entry.Filename());

    // A read-only folder: no new file can be made there.
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    TKivINIEntry other;
    other.SetFilename(dir.filePath(QStringLiteral("new.kvp")));
    other.SetSection(QStringLiteral("SecCD"));
    EXPECT_EQ(refusal([&] { other.WriteString(QStringLiteral("k"), QStringLiteral("new")); }),
              QStringLiteral("Unable to write to %1").arg(other.Filename()));
    EXPECT_EQ(entry.ReadString(QStringLiteral("k")), "old"); // reads still work
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);

    // A read-only file in a writable folder: refused although a rename would succeed.
    ASSERT_EQ(::chmod(file.constData(), 0444), 0);
    EXPECT_EQ(refusal([&] { entry.WriteInteger(QStringLiteral("k"), 1); }), expected);
    EXPECT_EQ(fileBytes(), before);

    // An unreadable file is not replaced by one holding only the new key.
    ASSERT_EQ(::chmod(file.constData(), 0200), 0);
    EXPECT_EQ(refusal([&] { entry.WriteInteger(QStringLiteral("k"), 1); }), expected);
    ASSERT_EQ(::chmod(file.constData(), 0644), 0);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("project.kvp")});
}


TEST_F(IniEntryTest, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace)
{
    setFile("[SecCD]\r\nk=old\r\n");
    const auto undo = refuseNewFiles(dir.path());
    if (!undo)
        GTEST_SKIP() << "this file system cannot make a folder refuse new files";
    entry.WriteString(QStringLiteral("k"), QStringLiteral("new"));
    entry.WriteString(QStringLiteral("second"), QStringLiteral("2"));
    undo();
    EXPECT_EQ(fileBytes(), QByteArray("[SecCD]\r\nk=new\r\nsecond=2\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("project.kvp")});
}

TEST_F(IniEntryTest, AUtf16FileIsNotWrittenInto)
{
    const QByteArray utf16("\xFF\xFE[\0S\0e\0c\0C\0D\0]\0\r\0\n\0", 20);
    setFile(utf16);
    EXPECT_EQ(refusal([&] { entry.WriteString(QStringLiteral("k"), QStringLiteral("v")); }),
              QStringLiteral("Unable to write to %1").arg(entry.Filename()));
    EXPECT_EQ(fileBytes(), utf16);
}

TEST_F(IniEntryTest, ReplacementKeepsPermissionsAndFollowsLinks)
{
    setFile("[SecCD]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(entry.Filename()).constData(), 0640), 0);
    entry.WriteString(QStringLiteral("k"), QStringLiteral("new"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(entry.Filename()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new file gets the usual permissions, not those of a private temporary file.
    const mode_t mask = ::umask(022);
    entry.SetFilename(path("fresh.kvp"));
    entry.WriteString(QStringLiteral("k"), QStringLiteral("v"));
    ::umask(mask);
    ASSERT_EQ(::stat(QFile::encodeName(entry.Filename()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // Through a symbolic link the target changes and the link stays a link.
    ASSERT_TRUE(QFile::link(path("project.kvp"), path("link.kvp")));
    entry.SetFilename(path("link.kvp"));
    entry.WriteString(QStringLiteral("k"), QStringLiteral("via link"));
    EXPECT_TRUE(QFileInfo(path("link.kvp")).isSymLink());
    EXPECT_EQ(readBytes(path("project.kvp")), "[SecCD]\r\nk=via link\r\n");
}

TEST_F(IniEntryTest, RelativeFilenameResolvesAgainstTheWorkingDirectory)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    TKivINIEntry plain; // "FILE.INI"
    plain.WriteString(QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(readBytes(path("FILE.INI")), "[ENTRY1]\r\nk=v\r\n");
    QDir::setCurrent(previous);
}

TEST(IniFileLayer, LoadTellsMissingFromUnreadable)
{
    QTemporaryDir dir;
    QByteArray content("junk");
    EXPECT_EQ(IniFile::load(dir.filePath("none"), &content), IniFile::LoadResult::Missing);
    EXPECT_TRUE(content.isEmpty());
    EXPECT_EQ(IniFile::load(dir.filePath("none/deeper"), &content), IniFile::LoadResult::Missing);
    EXPECT_EQ(IniFile::load(dir.path(), &content), IniFile::LoadResult::Unreadable); // a folder
    writeBytes(dir.filePath("f"), QByteArray("a\0b", 3));
    EXPECT_EQ(IniFile::load(dir.filePath("f"), &content), IniFile::LoadResult::Loaded);
    EXPECT_EQ(content, QByteArray("a\0b", 3));
    // A folder in the file's place is not replaced.
    EXPECT_FALSE(IniFile::saveAtomically(dir.path(), "x"));
}

TEST_F(IniEntryTest, ManyValuesAtOnceLeaveTheFileAsOneByOneWould)
{
    const QByteArray start("; a comment\r\n[Other]\r\nk=1\r\n[SECCD]\r\nMTn-Tx=old\r\n  BTo-Tx-L = 2\r\n[Later]\r\nx=y");
    const QList<std::pair<QString, QString>> values{{QStringLiteral("MTN-Tx"), QStringLiteral("Nový")},
                                                    {QStringLiteral("BTo-Tx-L"), QStringLiteral("3")},
                                                    {QStringLiteral("New"), QStringLiteral(" spaced ")},
                                                    {QStringLiteral("MTN-Tx"), QStringLiteral("last")}};
    setFile(start);
    for (const auto &[key, value] : values)
        entry.WriteString(key, value);
    const QByteArray oneByOne = fileBytes();
    setFile(start);
    entry.WriteStrings(values);
    EXPECT_EQ(fileBytes(), oneByOne);
    EXPECT_NE(oneByOne, start);
}
