#include "settings/UserRegistry.h"

#include "settings/Cp1250.h"
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
    QByteArray wanted;
    if (!encodeCp1250(keyPath(key), &wanted))
        return false; // no such name can be in the store
    if (wanted.isEmpty())
        return true;
    QByteArray content;
    if (IniFile::load(storePath(), &content) != IniFile::LoadResult::Loaded)
        return false;
    // The key itself, or a key below it, which implies it.
    bool found = false;
    ini::forEachSection(content, [&](QByteArrayView name) {
        found = ini::sameName(name, wanted) ||
                (name.size() > wanted.size() && name[wanted.size()] == '\\' &&
                 ini::sameName(name.first(wanted.size()), wanted));
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
    // Values live only under the header of their own key, so a key that does not
    // exist has no values and needs no test of its own.
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
