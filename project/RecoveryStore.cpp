#include "project/RecoveryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>
#include <QSettings>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "project/picture/PictureError.h"
#include "project/ProjectFile.h"
#include "project/ProjectSession.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"

namespace korvel {

namespace {

const QString kInfoName = QStringLiteral("recovery.ini");
const QString kRunPrefix = QStringLiteral("run-");

void syncDirectory(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts the finished copy in place of the previous one in one step: readers see the
// old copy or the new one, never half of each.
bool replaceFolder(const QString &fresh, const QString &target)
{
    const QByteArray from = QFile::encodeName(fresh), to = QFile::encodeName(target);
    if (QFileInfo::exists(target)) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0)
            return false;
        QDir(fresh).removeRecursively(); // now the previous copy
        return true;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

QString RecoveryStore::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/korvel");
}

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::runFolder() const
{
    return m_folder + QLatin1Char('/') + kRunPrefix + QString::number(QCoreApplication::applicationPid());
}

bool RecoveryStore::lock()
{
    if (m_lock)
        return true;
    auto lock = std::make_unique<QLockFile>(runFolder() + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // stale only when its designer is gone, however old
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

bool RecoveryStore::write(ProjectContext &context, const QString &projectPath, bool named, QString *error)
{
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("Nelze vytvořit složku %1").arg(m_folder);
        return false;
    }
    // Without the lock the copy is still written: it would only be offered while
    // this designer runs, which the folder name already rules out.
    lock();
    const QString fresh = m_folder + QStringLiteral("/.tmp-") + QString::number(QCoreApplication::applicationPid());
    QDir(fresh).removeRecursively();
    if (!QDir().mkpath(fresh)) {
        *error = QStringLiteral("Nelze vytvořit složku %1").arg(fresh);
        return false;
    }
    auto cleanUp = qScopeGuard([&] { QDir(fresh).removeRecursively(); });

    // The side files are written relative to the working directory.
    const QString previous = QDir::currentPath();
    const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
    QDir::setCurrent(fresh);
    TKivINIEntry ini;
    configureProjectEntry(ini);
    ProjectContext copy{context.page, ini, context.Reg, context.spine, {}};
    try {
        SaveProject(copy, QDir(fresh).filePath(QString::fromLatin1(kProjectName)));
    } catch (const SettingsError &e) {
        *error = e.message();
        return false;
    } catch (const PictureError &e) {
        *error = e.message();
        return false;
    }
    {
        QSettings info(QDir(fresh).filePath(kInfoName), QSettings::IniFormat);
        info.setValue(QStringLiteral("Path"), projectPath);
        info.setValue(QStringLiteral("Named"), named);
        info.setValue(QStringLiteral("Written"), QDateTime::currentDateTimeUtc());
        info.sync();
        if (info.status() != QSettings::NoError) {
            *error = QStringLiteral("Nelze zapsat %1").arg(info.fileName());
            return false;
        }
    }
    syncDirectory(fresh);
    if (!replaceFolder(fresh, runFolder())) {
        *error = QStringLiteral("Nelze uložit kopii do %1").arg(runFolder());
        return false;
    }
    cleanUp.dismiss();
    syncDirectory(m_folder);
    return true;
}

void RecoveryStore::remove()
{
    QDir(runFolder()).removeRecursively();
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool RecoveryStore::hasCopy() const
{
    return QFile::exists(QDir(runFolder()).filePath(QString::fromLatin1(kProjectName)));
}

namespace {

// Calls visit for every copy whose designer is gone.
template <typename Visit>
void forEachAbandoned(const QString &folder, const QString &ownRun, Visit &&visit)
{
    const QStringList runs =
        QDir(folder).entryList({QStringLiteral("run-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : runs) {
        const QString run = QDir(folder).filePath(name);
        if (run == ownRun)
            continue;
        QLockFile lock(run + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (QFile::exists(run + QStringLiteral(".lock")) && !lock.tryLock(0))
            continue; // its designer still runs
        visit(run);
        lock.unlock();
    }
}

} // namespace

std::optional<RecoveryStore::Abandoned> RecoveryStore::findAbandoned() const
{
    std::optional<Abandoned> newest;
    forEachAbandoned(m_folder, runFolder(), [&](const QString &run) {
        if (!QFile::exists(QDir(run).filePath(QString::fromLatin1(kProjectName))))
            return;
        QSettings info(QDir(run).filePath(kInfoName), QSettings::IniFormat);
        Abandoned found{run, info.value(QStringLiteral("Path")).toString(),
                        info.value(QStringLiteral("Named")).toBool(),
                        info.value(QStringLiteral("Written")).toDateTime()};
        if (!newest || found.written > newest->written)
            newest = found;
    });
    return newest;
}

void RecoveryStore::discardAbandoned() const
{
    forEachAbandoned(m_folder, runFolder(), [](const QString &run) {
        QDir(run).removeRecursively();
        QFile::remove(run + QStringLiteral(".lock"));
    });
}

} // namespace korvel
