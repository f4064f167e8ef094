#include "settings/UserRegistry.h"

#include "settings/IniFile.h"
#include "settings/SettingsError.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvel {

namespace {

QString &overridePath()
{
    static QString path;
    return path;
}

bool sameKey(const QString &a, const QString &b)
{
    // ASCII case only, as the INI engine below compares names.
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

QString UserRegistry::storePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           QStringLiteral("/korvel/user-registry.ini");
}

void UserRegistry::setStorePath(const QString &path)
{
    overridePath() = path;
}

QString UserRegistry::keyPath(const QString &path)
{
    return path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

QString UserRegistry::subkeyPath(const QString &key, const QString &subkey)
{
    return keyPath(key + u'\\' + subkey);
}

bool UserRegistry::keyExists(const QString &key)
{
    const QString wanted = keyPath(key);
    if (wanted.isEmpty())
        return true;
    const QString childPrefix = wanted + u'\\';
    bool found = false;
    IniFile(storePath()).forEachSection([&](const QString &name) {
        found = sameKey(name, wanted) ||
                (name.size() > childPrefix.size() && sameKey(name.left(childPrefix.size()), childPrefix));
        return !found;
    });
    return found;
}

bool UserRegistry::createKey(const QString &key)
{
    const QString path = keyPath(key);
    if (path.isEmpty() || keyExists(path))
        return true;
    const QString file = storePath();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    try {
        IniFile(file).addSection(path);
    } catch (const SettingsError &) {
        return false;
    }
    return true;
}

std::optional<QString> UserRegistry::readValue(const QString &key, const QString &name)
{
    return IniFile(storePath()).readString(keyPath(key), name);
}

bool UserRegistry::writeValue(const QString &key, const QString &name, const QString &value)
{
    try {
        IniFile(storePath()).writeString(keyPath(key), name, value);
    } catch (const SettingsError &) {
        return false;
    }
    return true;
}

} // namespace korvel
