#pragma once
#include <QString>
#include <optional>

namespace korvel {

// The per-user hierarchical key-value store that stands in for the current user's
// registry root. Keys are paths of names separated by backslashes ("\Software\A\B";
// leading, trailing and doubled backslashes are ignored); each key holds named
// string values. Key and value names are matched without regard to ASCII letter
// case. A key exists once created, even while it holds no values; creating a key
// creates its parents implicitly.
//
// The whole store is one file in the user's configuration folder, in the INI format
// of IniFile.h: one section per key (named by its full path), one line per value.
// Every operation opens the file afresh and writes through IniFile's atomic
// replacement, so nothing is cached here either. Text is Windows-1250; a value that
// the code page cannot hold, or one with a line break, is refused rather than
// changed.
class UserRegistry {
public:
    // The store file: by default "korvel/user-registry.ini" in the user's
    // configuration folder (QStandardPaths::ConfigLocation).
    static QString storePath();
    // Redirects the store, for tests; an empty path restores the default.
    static void setStorePath(const QString &path);

    // Normalised key path: names joined by single backslashes, no leading one.
    static QString keyPath(const QString &path);
    static QString subkeyPath(const QString &key, const QString &subkey);

    // Whether the key exists (the root always does).
    static bool keyExists(const QString &key);
    // Creates the key unless it exists. Returns false when the store cannot be written.
    static bool createKey(const QString &key);
    // The value's text, or nothing when the key or the value does not exist.
    static std::optional<QString> readValue(const QString &key, const QString &name);
    // Stores the value as text, replacing an earlier one; the key must exist. Returns
    // false when the store refuses it (unwritable, or text it cannot hold).
    static bool writeValue(const QString &key, const QString &name, const QString &value);
};

} // namespace korvel
