#include "project/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>
#include <QSettings>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "project/DocumentSnapshot.h"
#include "project/ProjectFile.h"
#include "settings/FileReplacement.h"
#include "settings/SettingsError.h"

namespace korvel {

namespace {

const QString kInfoName = QStringLiteral("recovery.ini");
const QString kRunPrefix = QStringLiteral("run-");
const QString kCopyPrefix = QStringLiteral("copy-");
constexpr const char *kSideBase = "recovery";

void syncDirectory(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool makePrivateFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return ::chmod(name.constData(), 0700) == 0;
}

// Makes every missing folder on the way to path, each one the user's alone (0700), as
// the XDG base directory rules ask for the folders a program creates ("~/.local/state"
// on a new account). Folders that exist are left as they are.
bool makeParents(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QString sofar;
    for (const QString &part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        sofar += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(sofar);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// A new file only the user can read, on disk before it is used.
bool writePrivateFile(const QString &path, const QByteArray &bytes, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = fileWriteError(path, errno);
        return false;
    }
    const char *data = bytes.constData();
    std::size_t left = std::size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = fileWriteError(path, n < 0 ? errno : ENOSPC);
            ::close(fd);
            return false;
        }
        data += n;
        left -= std::size_t(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
        *error = fileWriteError(path, errno);
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        *error = fileWriteError(path, errno);
        return false;
    }
    return true;
}

// The newest complete copy of a run: a folder whose note was written last. The
// folder of an older designer, which held its copy directly, counts too.
QString newestCopy(const QString &run)
{
    QDir dir(run);
    QStringList copies = dir.entryList({kCopyPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(copies.begin(), copies.end(), [](const QString &a, const QString &b) {
        return a.mid(kCopyPrefix.size()).toULongLong() > b.mid(kCopyPrefix.size()).toULongLong();
    });
    for (const QString &copy : copies)
        if (QFile::exists(dir.filePath(copy + QLatin1Char('/') + kInfoName)))
            return dir.filePath(copy);
    if (QFile::exists(dir.filePath(kInfoName)))
        return run;
    return QString();
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
    , m_run(m_folder + QLatin1Char('/') + kRunPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::runFolder() const
{
    return m_run;
}

QString RecoveryStore::copyFolder(quint64 n) const
{
    return m_run + QLatin1Char('/') + kCopyPrefix + QString::number(n);
}

bool RecoveryStore::lock()
{
    if (m_lock)
        return true;
    auto lock = std::make_unique<QLockFile>(m_run + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // stale only when its designer is gone, however old
    if (!lock->tryLock(0))
        return false;
    // Made with the usual 0644: it names the run, which is nobody else's business.
    ::chmod(QFile::encodeName(m_run + QStringLiteral(".lock")).constData(), 0600);
    m_lock = std::move(lock);
    return true;
}

bool RecoveryStore::write(const DocumentSnapshot &snapshot, const QString &projectPath, bool named, QString *error)
{
    makeParents(QFileInfo(m_folder).absolutePath());
    if (!makePrivateFolder(m_folder)) {
        *error = QStringLiteral("Nelze vytvořit složku %1: %2").arg(m_folder, czechSystemReason(errno));
        return false;
    }
    // Without the lock the copy is still written: it would only be offered while
    // this designer runs, which no other run can tell apart from a dead one.
    lock();
    if (!makePrivateFolder(m_run)) {
        *error = QStringLiteral("Nelze vytvořit složku %1: %2").arg(m_run, czechSystemReason(errno));
        return false;
    }
    const quint64 n = m_copies + 1;
    const QString fresh = m_run + QStringLiteral("/.tmp-") + QString::number(n);
    QDir(fresh).removeRecursively();
    if (!makePrivateFolder(fresh)) {
        *error = QStringLiteral("Nelze vytvořit složku %1: %2").arg(fresh, czechSystemReason(errno));
        return false;
    }
    auto cleanUp = qScopeGuard([&] { QDir(fresh).removeRecursively(); });

    QByteArray text;
    try {
        text = projectText(snapshot, QByteArray());
    } catch (const SettingsError &e) {
        *error = e.message();
        return false;
    }
    if (!writePrivateFile(fresh + QLatin1Char('/') + QLatin1String(kProjectName), text, error))
        return false;

    const auto pictures = sidePictures(snapshot);
    Q_ASSERT(std::size_t(pictures.size()) == m_written.size());
    decltype(m_written) written;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto &[extension, picture] = pictures[qsizetype(i)];
        if (!picture || picture->isEmpty())
            continue;
        const QByteArray &bytes = picture->bytes();
        const QString name = QLatin1Char('/') + QLatin1String(kSideBase) + QLatin1String(extension);
        const QString previous = copyFolder(m_copies) + name;
        // An unchanged picture is the previous copy's file under a second name: no
        // megabytes written and synced again every minute.
        const bool same = m_written[i].size() == bytes.size() && m_written[i].constData() == bytes.constData();
        if (!(same && ::link(QFile::encodeName(previous).constData(), QFile::encodeName(fresh + name).constData()) == 0))
            if (!writePrivateFile(fresh + name, bytes, error))
                return false;
        written[i] = bytes;
    }
    {
        QSettings info(fresh + QLatin1Char('/') + kInfoName, QSettings::IniFormat);
        info.setValue(QStringLiteral("Path"), projectPath);
        info.setValue(QStringLiteral("Named"), named);
        // The project's side files that the cover could not read: a save of the
        // restored work must leave them as they are, as one of the opened project does.
        if (!snapshot.keptSideFiles.isEmpty())
            info.setValue(QStringLiteral("Kept"), snapshot.keptSideFiles);
        info.setValue(QStringLiteral("Written"), QDateTime::currentDateTimeUtc());
        info.sync();
        if (info.status() != QSettings::NoError) {
            *error = QStringLiteral("Nelze zapsat %1").arg(info.fileName());
            return false;
        }
    }
    ::chmod(QFile::encodeName(fresh + QLatin1Char('/') + kInfoName).constData(), 0600);
    syncDirectory(fresh);
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(copyFolder(n)).constData()) != 0) {
        *error = QStringLiteral("Nelze uložit kopii do %1: %2").arg(copyFolder(n), czechSystemReason(errno));
        return false;
    }
    cleanUp.dismiss();
    syncDirectory(m_run);
    if (m_copies > 0)
        QDir(copyFolder(m_copies)).removeRecursively();
    m_copies = n;
    m_written = written;
    return true;
}

void RecoveryStore::remove()
{
    QDir(m_run).removeRecursively();
    m_copies = 0;
    m_written = {};
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool RecoveryStore::hasCopy() const
{
    return m_copies > 0 && QFile::exists(copyFolder(m_copies) + QLatin1Char('/') + kInfoName);
}

QList<RecoveryStore::Abandoned> RecoveryStore::findAbandoned() const
{
    QList<Abandoned> found;
    const QStringList runs =
        QDir(m_folder).entryList({kRunPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : runs) {
        const QString run = QDir(m_folder).filePath(name);
        if (run == m_run)
            continue;
        QLockFile lock(run + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (QFile::exists(run + QStringLiteral(".lock")) && !lock.tryLock(0))
            continue; // its designer still runs
        // A copy its designer did not finish writing (killed meanwhile) is of no use,
        // and may hold photos: it goes, and so does a run that left nothing else.
        for (const QString &half : QDir(run).entryList({QStringLiteral(".tmp-*")},
                                                       QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            QDir(QDir(run).filePath(half)).removeRecursively();
        const QString copy = newestCopy(run);
        if (copy.isEmpty() || !QFile::exists(copy + QLatin1Char('/') + QLatin1String(kProjectName))) {
            if (lock.isLocked())
                lock.unlock();
            discard(Abandoned{run, {}, {}, false, {}, {}});
            continue;
        }
        QSettings info(copy + QLatin1Char('/') + kInfoName, QSettings::IniFormat);
        found.append(Abandoned{run, copy, info.value(QStringLiteral("Path")).toString(),
                               info.value(QStringLiteral("Named")).toBool(),
                               info.value(QStringLiteral("Written")).toDateTime(),
                               info.value(QStringLiteral("Kept")).toStringList()});
    }
    std::sort(found.begin(), found.end(), [](const Abandoned &a, const Abandoned &b) { return a.written < b.written; });
    return found;
}

void RecoveryStore::discard(const Abandoned &copy) const
{
    QDir(copy.run).removeRecursively();
    QFile::remove(copy.run + QStringLiteral(".lock"));
}

} // namespace korvel
