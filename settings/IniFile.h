#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace korvel {

// The INI text engine. It reads project files whoever wrote them, and a write
// changes as little of the file as it can: one value on its existing line, or one
// new line after the last key of the section, or one new section at the end; every
// other byte stays as it was. Section and key names are compared after trimming
// and without regard to ASCII letter case. The exact rules are pinned down case by
// case in tests/test_ini_engine.cpp.
namespace ini {

// Whether two names are the same: equal after trimming, ASCII letters in either case.
bool sameName(QByteArrayView a, QByteArrayView b);

// Where a value is found: a view into content, already trimmed and unquoted.
// Names are the encoded bytes; they are trimmed here.
std::optional<QByteArrayView> findValue(QByteArrayView content, QByteArrayView section,
                                        QByteArrayView key);

// The keys of one section, found in one pass over the content: for a reader that
// asks for many keys of the same section (a whole project), each answer exactly what
// findValue would give for it, without scanning the content again.
class SectionIndex {
public:
    SectionIndex(QByteArrayView content, QByteArrayView section);
    bool sectionFound() const { return m_sectionFound; }
    std::optional<QByteArrayView> value(QByteArrayView key) const;

private:
    QHash<QByteArray, QByteArrayView> m_values; // by the key's name in ASCII lower case
    bool m_sectionFound = false;
};

// True when a header of that name exists (keys need not).
bool hasSection(QByteArrayView content, QByteArrayView section);

// Calls visit with each section name in file order (trimmed, as in the file) until
// it returns false.
void forEachSection(QByteArrayView content, const std::function<bool(QByteArrayView name)> &visit);

// The content with key set to value in section, creating the section and the key
// as needed. The value is stored as given by quotedValue(); names and value must
// already have passed the require...() checks below.
QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

// The content with an empty section appended, or the content unchanged when the
// section exists.
QByteArray withSection(QByteArrayView content, QByteArrayView section);

// The text written after "=": the value itself, or the value inside one extra pair
// of double quotes when reading would otherwise change it (leading or trailing
// blanks would be trimmed, a surrounding pair of quotes would be removed).
QByteArray quotedValue(QByteArrayView value);

// Refuse, by throwing SettingsError, names and values that cannot be written as
// given. A CR or LF would split the line and let a value inject keys or sections
// (LineBreak); a key with "=" would read back cut at the "=", and one starting with
// "[" could read back as a section header (ReservedName).
void requireWritableSection(QByteArrayView section);
void requireWritableKey(QByteArrayView key);
void requireWritableValue(QByteArrayView value, const QString &keyForMessage);

} // namespace ini

// One INI file on disk, accessed the way the settings components need it: every
// call loads the file, does one read or one write, and is done. Nothing is cached
// and no handle stays open between calls.
//
// A write never damages the file: each one is a FileReplacement (see there), so a
// crash, a full disk or a refused write leaves either the old or the new file. The
// new content goes to a hidden file in the same folder, synced, which then takes the
// old one's place by a rename; it keeps the old file's permissions and owner, and a
// symbolic link is written through to its target. Only where the folder refuses a
// new file, or the file is somebody else's, is the file rewritten in place, without
// ever being cut short first. A file in UTF-16 is refused.
// Every write syncs the file and its folder: the per-user settings are written one
// key at a time, rarely, and a project's keys go in as one replacement.
//
// Text is Windows-1250 on disk. A relative path resolves against the current
// working directory.
class IniFile {
public:
    explicit IniFile(const QString &path) : m_path(path) {}

    const QString &path() const { return m_path; }

    // The value of key in section, decoded, cut to maxChars characters when that is
    // not negative. Empty when the file cannot be read or the section or key is
    // missing, or when a name has characters the code page cannot hold (no such
    // key can be in the file). Never throws.
    std::optional<QString> readString(const QString &section, const QString &key,
                                      qsizetype maxChars = -1) const;

    // Sets key in section to value, creating the file, the section and the key as
    // needed. Throws SettingsError: WriteRefused ("Unable to write to <path>") when the
    // file cannot be read or replaced (read-only file or folder, missing folder, full
    // disk), and LineBreak, ReservedName or Unrepresentable, before touching the
    // file, for text that cannot be stored as given.
    void writeString(const QString &section, const QString &key, const QString &value) const;
    // Sets many keys of one section as one replacement of the file, exactly as that
    // many writeString calls in this order would leave it. Every name and value is
    // checked before the file is touched.
    void writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values) const;
    // Throws the SettingsError that writeString would throw for this value, without
    // touching any file: a caller writing many keys can check them all first.
    static void checkValue(const QString &key, const QString &value);

    // Adds an empty section unless it exists. Throws as writeString does.
    void addSection(const QString &section) const;

    enum class LoadResult { Loaded, Missing, Unreadable };
    // Reads the whole file. Missing means there is no such file (or folder).
    static LoadResult load(const QString &path, QByteArray *content);
    // Replaces the file atomically as described above (replaceFile). Returns false on
    // failure, in which case the old file is untouched and no temporary file is left.
    static bool saveAtomically(const QString &path, QByteArrayView content);
    // Makes the file and its directory entry durable (fsync); for a symbolic link,
    // the file it points to and that file's folder. Writes made here are synced
    // already; this is for files written by other means.
    static bool syncToDisk(const QString &path);

private:
    QByteArray loadForWrite() const;
    void save(QByteArrayView content) const;
    [[noreturn]] void throwWriteRefused() const;

    QString m_path;
};

} // namespace korvel
