#include "settings/RecentProjects.h"

#include <QFileInfo>
#include <QSettings>

namespace korvel {

namespace {
const QString kKey = QStringLiteral("RecentProjects");

void store(const QStringList &paths)
{
    QSettings settings;
    settings.setValue(kKey, paths);
}
} // namespace

QStringList RecentProjects::list()
{
    QSettings settings;
    QStringList paths = settings.value(kKey).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, kMaximum);
}

void RecentProjects::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = list();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    store(paths.mid(0, kMaximum));
}

void RecentProjects::remove(const QString &path)
{
    QStringList paths = list();
    paths.removeAll(QFileInfo(path).absoluteFilePath());
    store(paths);
}

} // namespace korvel
