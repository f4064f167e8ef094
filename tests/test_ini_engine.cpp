// The INI text engine on hand-written file contents, byte for byte.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/SettingsError.h"

using namespace korvel;

namespace {

// The value as the engine reads it, or "<none>"; every rule holds for a key read
// alone and for a key read from the section's one-pass index alike.
std::string read(const char *content, const char *section, const char *key)
{
    const auto v = ini::findValue(QByteArrayView(content), QByteArrayView(section), QByteArrayView(key));
    const auto indexed = ini::SectionIndex(QByteArrayView(content), QByteArrayView(section)).value(QByteArrayView(key));
    if (v.has_value() != indexed.has_value() || (v && *v != *indexed))
        return "<the index reads otherwise>";
    return v ? v->toByteArray().toStdString() : std::string("<none>");
}

std::string write(const char *content, const char *section, const char *key, const char *value)
{
    return ini::withValue(QByteArrayView(content), QByteArrayView(section), QByteArrayView(key),
                          QByteArrayView(value))
        .toStdString();
}

} // namespace

TEST(IniRead, NamesIgnoreAsciiCaseAndSurroundingBlanks)
{
    const char *file = "[SecCD]\r\nMTN-Tx=Nadpis\r\n";
    EXPECT_EQ(read(file, "SecCD", "MTn-Tx"), "Nadpis");
    EXPECT_EQ(read(file, "seccd", "mtn-tx"), "Nadpis");
    EXPECT_EQ(read(file, "  SecCD\t", " MTN-Tx "), "Nadpis");
    EXPECT_EQ(read(file, "SecCD", "MTN-T"), "<none>");
    EXPECT_EQ(read(file, "Sec", "MTN-Tx"), "<none>");
    // Letters outside ASCII are compared exactly: 0xC8 is Č, 0xE8 is č in the code page.
    EXPECT_EQ(read("[S]\n\xC8=1\n", "S", "\xC8"), "1");
    EXPECT_EQ(read("[S]\n\xC8=1\n", "S", "\xE8"), "<none>");
}

TEST(IniRead, FirstSectionAndFirstKeyWin)
{
    const char *file = "[A]\r\nk=first\r\nK=second\r\n[B]\r\nk=b\r\n[a]\r\nk=later\r\nz=only-in-second\r\n";
    EXPECT_EQ(read(file, "A", "k"), "first");
    EXPECT_EQ(read(file, "B", "K"), "b");
    // The second [a] is never searched.
    EXPECT_EQ(read(file, "A", "z"), "<none>");
}

TEST(IniRead, KeysBeforeTheFirstHeaderBelongToNoSection)
{
    const char *file = "k=orphan\r\n[S]\r\nother=1\r\n";
    EXPECT_EQ(read(file, "S", "k"), "<none>");
    EXPECT_EQ(read(file, "", "k"), "<none>");
    EXPECT_EQ(read("k=1\n[]\nk=2\n", "", "k"), "2");
}

TEST(IniRead, LineRules)
{
    const char *file =
        "  [ S ]  trailing text\r\n"
        "\t key one \t=\t value one \t\r\n"
        "; comment without equals\r\n"
        "# another\r\n"
        "no equals here\r\n"
        "url=a=b;c#d\r\n"
        "empty=\r\n"
        "blank=   \r\n"
        "=nameless\r\n";
    EXPECT_EQ(read(file, "S", "key one"), "value one");
    EXPECT_EQ(read(file, "S", "url"), "a=b;c#d");
    EXPECT_EQ(read(file, "S", "empty"), "");
    EXPECT_EQ(read(file, "S", "blank"), "");
    EXPECT_EQ(read(file, "S", "no equals here"), "<none>");
    EXPECT_EQ(read(file, "S", "; comment without equals"), "<none>");
    EXPECT_EQ(read(file, "S", ""), "nameless");
}

TEST(IniRead, CommentCharactersDoNotMakeAComment)
{
    // Only "=" makes a key; a leading ";" is part of the name.
    EXPECT_EQ(read("[S]\n;k=v\n", "S", ";k"), "v");
    EXPECT_EQ(read("[S]\n;k=v\n", "S", "k"), "<none>");
}

TEST(IniRead, HeaderEndsAtTheLastBracket)
{
    EXPECT_EQ(read("[a]b] x\nk=1\n", "a]b", "k"), "1");
    EXPECT_EQ(read("[a]b] x\nk=1\n", "a", "k"), "<none>");
    // "[" without "]" is no header but may be a key.
    EXPECT_EQ(read("[S]\n[x=1\n", "S", "[x"), "1");
    EXPECT_EQ(read("[S]\n[x]=1\nk=2\n", "x", "k"), "2");
}

TEST(IniRead, OnePairOfMatchingQuotesIsRemoved)
{
    const char *file =
        "[S]\n"
        "d=\"  padded  \"\n"
        "s='single'\n"
        "two=\"\"x\"\"\n"
        "mixed=\"x'\n"
        "one=\"\n"
        "pair=\"\"\n"
        "inner=a\"b\"\n"
        "spaced=  \" q \"  \n";
    EXPECT_EQ(read(file, "S", "d"), "  padded  ");
    EXPECT_EQ(read(file, "S", "s"), "single");
    EXPECT_EQ(read(file, "S", "two"), "\"x\"");
    EXPECT_EQ(read(file, "S", "mixed"), "\"x'");
    EXPECT_EQ(read(file, "S", "one"), "\"");
    EXPECT_EQ(read(file, "S", "pair"), "");
    EXPECT_EQ(read(file, "S", "inner"), "a\"b\"");
    EXPECT_EQ(read(file, "S", "spaced"), " q ");
}

TEST(IniRead, AllLineEndsReadTheSame)
{
    for (const char *file : {"[S]\r\na=1\r\nb=2\r\n", "[S]\na=1\nb=2\n", "[S]\ra=1\rb=2\r", "[S]\r\na=1\rb=2\n",
                             "[S]\na=1\r\nb=2", "[S]\r\r\n\na=1\n\r\rb=2"}) {
        SCOPED_TRACE(QByteArray(file).toHex().toStdString());
        EXPECT_EQ(read(file, "S", "a"), "1");
        EXPECT_EQ(read(file, "S", "b"), "2");
    }
}

TEST(IniRead, HighBytesAndNulAreOrdinaryText)
{
    const QByteArray file("[S]\nk=\x80\x81\x9A\xFF\x00z\n", 13);
    const auto v = ini::findValue(file, "S", "k");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->toByteArray(), QByteArray("\x80\x81\x9A\xFF\x00z", 6));
}

TEST(IniWrite, NewFileIsExactlyHeaderAndKey)
{
    EXPECT_EQ(write("", "SecCD", "MTN-Tx", "Nadpis"), "[SecCD]\r\nMTN-Tx=Nadpis\r\n");
    EXPECT_EQ(write("", " SecCD ", " MTN-Tx ", "Nadpis"), "[SecCD]\r\nMTN-Tx=Nadpis\r\n");
}

TEST(IniWrite, RewriteChangesOnlyTheValue)
{
    // The line keeps its place, its key spelling, its indentation and its LF end;
    // the other lines, with their own line ends, stay byte for byte.
    EXPECT_EQ(write("; head\n[SecCD]\r\n  MTN-Tx =  old  \nMTN-Al=Left\r", "seccd", "MTn-Tx", "new"),
              "; head\n[SecCD]\r\n  MTN-Tx =new\nMTN-Al=Left\r");
    // The first of duplicate keys is the one changed.
    EXPECT_EQ(write("[S]\r\nk=1\r\nK=2\r\n", "S", "k", "x"), "[S]\r\nk=x\r\nK=2\r\n");
    // A last line without a line end stays without one.
    EXPECT_EQ(write("[S]\r\nk=1", "S", "k", ""), "[S]\r\nk=");
}

TEST(IniWrite, NewKeyGoesAfterTheLastKeyOfItsSection)
{
    EXPECT_EQ(write("[S]\r\na=1\r\n; note\r\n\r\n[T]\r\nt=1\r\n", "S", "b", "2"),
              "[S]\r\na=1\r\nb=2\r\n; note\r\n\r\n[T]\r\nt=1\r\n");
    // Right after the header when the section has no keys yet.
    EXPECT_EQ(write("[S]\n; note\n[T]\n", "s", "b", "2"), "[S]\nb=2\r\n; note\n[T]\n");
    // Only the first section of the name takes it.
    EXPECT_EQ(write("[S]\na=1\n[S]\nc=3\n", "S", "b", "2"), "[S]\na=1\nb=2\r\n[S]\nc=3\n");
    // A last key without a line end gets CRLF first.
    EXPECT_EQ(write("[S]\na=1", "S", "b", "2"), "[S]\na=1\r\nb=2\r\n");
    EXPECT_EQ(write("[S]", "S", "b", "2"), "[S]\r\nb=2\r\n");
    // A CR-only file keeps its CR ends.
    EXPECT_EQ(write("[S]\ra=1\r[T]\r", "S", "b", "2"), "[S]\ra=1\rb=2\r\n[T]\r");
    // Keys before the first header are not the section's.
    EXPECT_EQ(write("b=0\n[S]\n", "S", "b", "2"), "b=0\n[S]\nb=2\r\n");
}

TEST(IniWrite, NewSectionGoesAtTheEnd)
{
    EXPECT_EQ(write("[A]\r\na=1\r\n", "B", "k", "v"), "[A]\r\na=1\r\n[B]\r\nk=v\r\n");
    EXPECT_EQ(write("[A]\na=1\n\n", "B", "k", "v"), "[A]\na=1\n\n[B]\r\nk=v\r\n");
    EXPECT_EQ(write("[A]\na=1", "B", "k", "v"), "[A]\na=1\r\n[B]\r\nk=v\r\n");
    EXPECT_EQ(write("[A]\ra=1\r", "B", "k", "v"), "[A]\ra=1\r[B]\r\nk=v\r\n");
}

TEST(IniWrite, ValuesThatReadingWouldChangeAreQuoted)
{
    EXPECT_EQ(ini::quotedValue("plain"), "plain");
    EXPECT_EQ(ini::quotedValue(""), "");
    EXPECT_EQ(ini::quotedValue(" lead"), "\" lead\"");
    EXPECT_EQ(ini::quotedValue("trail\t"), "\"trail\t\"");
    EXPECT_EQ(ini::quotedValue("\"x\""), "\"\"x\"\"");
    EXPECT_EQ(ini::quotedValue("'x'"), "\"'x'\"");
    EXPECT_EQ(ini::quotedValue("\"x'"), "\"x'");
    EXPECT_EQ(ini::quotedValue("\""), "\"");
    EXPECT_EQ(ini::quotedValue("a b"), "a b");

    // Every one of them reads back exactly as written.
    for (const char *value : {" lead", "trail ", "  both  ", "\"x\"", "'x'", "\"\"", "''", "\"", "'", " \"x\" ",
                              "a;b#c=d", "\"x'", "   "}) {
        SCOPED_TRACE(value);
        const QByteArray file = ini::withValue("", "S", "k", value);
        EXPECT_EQ(ini::findValue(file, "S", "k").value_or("<none>").toByteArray(), QByteArray(value));
        const QByteArray rewritten = ini::withValue("[S]\r\nk=old\r\n", "S", "k", value);
        EXPECT_EQ(ini::findValue(rewritten, "S", "k").value_or("<none>").toByteArray(), QByteArray(value));
    }
}

TEST(IniWrite, EmptySectionIsAppendedOnlyOnce)
{
    EXPECT_EQ(ini::withSection("", "K"), "[K]\r\n");
    EXPECT_EQ(ini::withSection("[A]\na=1", "K"), "[A]\na=1\r\n[K]\r\n");
    EXPECT_EQ(ini::withSection("[k]\n", "K"), "[k]\n");
    EXPECT_TRUE(ini::hasSection("x=1\n[ k ]\n", "K"));
    EXPECT_FALSE(ini::hasSection("x=1\n[ k\n", "K"));
}

TEST(IniWrite, TextThatWouldSplitOrMisreadTheLineIsRefused)
{
    auto kindOf = [](auto &&f) {
        try {
            f();
        } catch (const SettingsError &e) {
            return int(e.kind());
        }
        return -1;
    };
    const int lineBreak = int(SettingsError::Kind::LineBreak);
    const int reserved = int(SettingsError::Kind::ReservedName);
    EXPECT_EQ(kindOf([] { ini::requireWritableValue("a\r\n[Evil]\r\nb=c", "k"); }), lineBreak);
    EXPECT_EQ(kindOf([] { ini::requireWritableValue("a\nb", "k"); }), lineBreak);
    EXPECT_EQ(kindOf([] { ini::requireWritableValue("a\rb", "k"); }), lineBreak);
    EXPECT_EQ(kindOf([] { ini::requireWritableKey("k\n"); }), lineBreak);
    EXPECT_EQ(kindOf([] { ini::requireWritableSection("S\r"); }), lineBreak);
    EXPECT_EQ(kindOf([] { ini::requireWritableKey("a=b"); }), reserved);
    EXPECT_EQ(kindOf([] { ini::requireWritableKey(" [x"); }), reserved);
    EXPECT_EQ(kindOf([] { ini::requireWritableKey("x[]"); }), -1);
    EXPECT_EQ(kindOf([] { ini::requireWritableValue("a=b;[c]", "k"); }), -1);
    EXPECT_EQ(kindOf([] { ini::requireWritableSection("a]b"); }), -1);
}

TEST(IniRobustness, HugeLinesAndBinaryContent)
{
    // A 10 MB value line, a 10 MB line without "=" and NUL bytes everywhere: read and
    // written like any other.
    QByteArray huge(10 * 1024 * 1024, 'v');
    const QByteArray file = "[S]\r\n" + QByteArray(10 * 1024 * 1024, '\0') + "\r\nk=" + huge + "\r\nz=1";
    const auto value = ini::findValue(file, "S", "k");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->size(), huge.size());
    EXPECT_EQ(ini::findValue(file, "S", "z").value_or("<none>"), "1");
    const QByteArray written = ini::withValue(file, "S", "k", "short");
    EXPECT_EQ(written.size(), file.size() - huge.size() + 5);
    EXPECT_EQ(ini::findValue(written, "S", "k").value_or("<none>"), "short");
    EXPECT_EQ(ini::findValue(written, "S", "z").value_or("<none>"), "1");

    // A file of only CRs or only LFs is scanned once, not once per line.
    const QByteArray crs = "[S]" + QByteArray(4 * 1024 * 1024, '\r') + "k=1";
    EXPECT_EQ(ini::findValue(crs, "S", "k").value_or("<none>"), "1");
    const QByteArray lfs = "[S]" + QByteArray(4 * 1024 * 1024, '\n') + "k=1";
    EXPECT_EQ(ini::findValue(lfs, "S", "k").value_or("<none>"), "1");
}

TEST(IniWrite, SyncingCountsOnlyRealFailures)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("x.kvp"));
    IniFile(path).writeString(QStringLiteral("SecCD"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_TRUE(IniFile::syncToDisk(path));
    EXPECT_FALSE(IniFile::syncToDisk(dir.filePath(QStringLiteral("missing.kvp"))));
    // A file that cannot be synced at all (fsync gives EINVAL, as on some network
    // and FUSE mounts) holds its data all the same: the save must not fail for it.
    EXPECT_TRUE(IniFile::syncToDisk(QStringLiteral("/dev/null")));
}
