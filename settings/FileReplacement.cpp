#include "settings/FileReplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvel {

// ---- messages ----

QString czechSystemReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
        return QStringLiteral("na disku není volné místo");
    case EACCES:
    case EPERM:
        return QStringLiteral("nemáte oprávnění k zápisu");
    case EROFS:
        return QStringLiteral("svazek je jen pro čtení");
    case EFBIG:
        return QStringLiteral("soubor je příliš velký");
    case EDQUOT:
        return QStringLiteral("byla překročena kvóta");
    case EIO:
        return QStringLiteral("chyba čtení nebo zápisu na disk");
    case ENOENT:
        return QStringLiteral("složka neexistuje");
    case ENOTDIR:
        return QStringLiteral("část cesty není složka");
    case EISDIR:
        return QStringLiteral("na jeho místě je složka");
    case ENAMETOOLONG:
        return QStringLiteral("název je příliš dlouhý");
    case ELOOP:
        return QStringLiteral("symbolické odkazy vedou v kruhu");
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("soubor je právě používán");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("je otevřeno příliš mnoho souborů");
    case ENOMEM:
        return QStringLiteral("nedostatek paměti");
    case ESTALE:
        return QStringLiteral("soubor na síťovém disku už není dostupný");
    case EEXIST:
        return QStringLiteral("soubor tohoto názvu už existuje");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("zařízení není dostupné");
    case ETIMEDOUT:
        return QStringLiteral("vypršel čas na odpověď disku");
    case EOVERFLOW:
        return QStringLiteral("soubor je příliš velký");
    case EAGAIN:
        return QStringLiteral("soubor je dočasně nedostupný");
    case EINVAL:
        return QStringLiteral("operaci nelze na tomto souboru provést");
    default:
        break;
    }
    // The GNU strerror_r: thread-safe, and it returns the text (which need not be in buf).
    char buf[256];
    return QString::fromLocal8Bit(::strerror_r(errorNumber, buf, sizeof buf));
}

QString czechReadReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return QStringLiteral("soubor neexistuje");
    case EACCES:
    case EPERM:
        return QStringLiteral("nemáte oprávnění ke čtení");
    default:
        return czechSystemReason(errorNumber);
    }
}

QString czechReadReason(const QString &path)
{
    // Opened again only to learn why: without blocking on a pipe, and closed at once.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return czechReadReason(errno);
    ::close(fd);
    return QStringLiteral("soubor nelze číst");
}

namespace {

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString writeError(const QString &path, const QString &reason)
{
    return QStringLiteral("Soubor „%1“ nelze zapsat: %2.").arg(fileName(path), reason);
}

} // namespace

QString fileWriteError(const QString &path, int errorNumber)
{
    return writeError(path, czechSystemReason(errorNumber));
}

QString outputWriteError(const QString &path, const QFileDevice &file, int errorNumber)
{
    return QStringLiteral("%1 nelze zapsat: %2")
        .arg(path, errorNumber != 0 ? czechSystemReason(errorNumber) : file.errorString());
}

QString fileRemoveError(const QString &path, int errorNumber)
{
    return QStringLiteral("Soubor „%1“ nelze odstranit: %2.").arg(fileName(path), czechSystemReason(errorNumber));
}

// ---- system calls, each returning 0 or the error number ----

namespace {

std::atomic<bool> g_noExchange{false};
std::atomic<bool> g_noHardLinks{false};

constexpr int kMaxLinkHops = 40; // as the kernel allows
constexpr int kNameAttempts = 100;

int openFile(const char *path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Closing reports what NFS could not write back, so it counts. EINTR is no failure:
// Linux has released the descriptor all the same.
int closeFile(int fd)
{
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// Some file systems (network and FUSE mounts, read-only ones) cannot sync at all and
// say so with EINVAL, EROFS or ENOTSUP: the data is written all the same, so only a
// real failure to store it (EIO, ENOSPC, EDQUOT ...) counts.
int syncFile(int fd)
{
    if (::fsync(fd) == 0)
        return 0;
    const int e = errno;
    return e == EINVAL || e == EROFS || e == ENOTSUP || e == EOPNOTSUPP ? 0 : e;
}

int writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        left -= n;
    }
    return 0;
}

int writeAllAt(int fd, QByteArrayView bytes, off_t offset)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        left -= n;
        offset += n;
    }
    return 0;
}

// Reads the whole file from its start, until end of file rather than trusting the
// size, which only sizes the first buffer.
int readAll(int fd, QByteArray *out)
{
    struct stat st;
    out->resize(::fstat(fd, &st) == 0 ? qsizetype(st.st_size) + 1 : 4096);
    qsizetype used = 0;
    for (;;) {
        if (used == out->size())
            out->resize(out->size() * 2);
        const ssize_t n = ::pread(fd, out->data() + used, size_t(out->size() - used), off_t(used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            out->clear();
            return e;
        }
        if (n == 0)
            break;
        used += n;
    }
    out->resize(used);
    return 0;
}

int readFile(const QByteArray &path, QByteArray *out)
{
    const int fd = openFile(path.constData(), O_RDONLY);
    if (fd < 0)
        return errno;
    const int e = readAll(fd, out);
    ::close(fd); // nothing was written through it
    return e;
}

// Makes the open file hold exactly bytes, without ever cutting it short first: the
// space is reserved before anything is written, the bytes go over the old ones, and
// only then is the file cut to their length.
int overwrite(int fd, QByteArrayView bytes)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    if (bytes.size() > st.st_size) {
        // A full disk or a size limit shows here, before a byte has changed. File
        // systems that cannot reserve space say EOPNOTSUPP or EINVAL; the writes then
        // find out themselves.
        int e;
        do {
            e = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        } while (e == EINTR);
        if (e != 0 && e != EOPNOTSUPP && e != EINVAL)
            return e;
    }
    if (const int e = writeAllAt(fd, bytes, 0))
        return e;
    int r;
    do {
        r = ::ftruncate(fd, off_t(bytes.size()));
    } while (r != 0 && errno == EINTR);
    if (r != 0)
        return errno;
    return syncFile(fd);
}

// Writes bytes into the file at path in place. Where that fails part way, the old
// bytes are written back the same way, and the first failure is what is reported.
int writeInPlace(const QByteArray &path, QByteArrayView bytes, QByteArrayView old)
{
    const int fd = openFile(path.constData(), O_WRONLY);
    if (fd < 0)
        return errno; // nothing written
    int e = overwrite(fd, bytes);
    if (e != 0)
        overwrite(fd, old);
    const int closed = closeFile(fd);
    if (e == 0 && closed != 0) {
        e = closed;
        const int again = openFile(path.constData(), O_WRONLY);
        if (again >= 0) {
            overwrite(again, old);
            ::close(again);
        }
    }
    return e;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray baseOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// "folder/.name.Xr4bQ9zk": hidden, so file managers and the project's own listings do
// not show it, and in the same folder, so a rename can put it in place. A long name
// is cut so the hidden one still fits in NAME_MAX.
QByteArray hiddenName(const QByteArray &folder, const QByteArray &base)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kSuffix = 8;
    QByteArray name = folder;
    if (!name.endsWith('/'))
        name += '/';
    name += '.';
    name += base.left(NAME_MAX - kSuffix - 2);
    name += '.';
    for (int i = 0; i < kSuffix; ++i)
        name += kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))];
    return name;
}

// A new, empty hidden file beside base in folder, with the permissions a new file
// gets (0666 less the umask, or the folder's default ACL). Returns the descriptor, or
// -1 with errno set.
int createHidden(const QByteArray &folder, const QByteArray &base, QByteArray *name)
{
    for (int i = 0; i < kNameAttempts; ++i) {
        *name = hiddenName(folder, base);
        const int fd = openFile(name->constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    const int e = errno;
    name->clear();
    errno = e;
    return -1;
}

bool exchangeRefused(int e)
{
    return e == EINVAL || e == ENOSYS || e == EOPNOTSUPP;
}

// rename(from, to) that fails with EEXIST instead of replacing an existing "to". Where
// the file system has no such rename, a check just before must do.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (!g_noExchange.load() && ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!g_noExchange.load() && !exchangeRefused(errno))
        return errno;
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// Moves the file at path to a new hidden name in its folder.
int moveAside(const QByteArray &path, QByteArray *name)
{
    const QByteArray folder = folderOf(path);
    const QByteArray base = baseOf(path);
    int e = EEXIST;
    for (int i = 0; i < kNameAttempts && e == EEXIST; ++i) {
        *name = hiddenName(folder, base);
        e = renameNoReplace(path, *name);
    }
    if (e != 0)
        name->clear();
    return e;
}

// Gives the file at path a second, hidden name in its folder.
int linkAside(const QByteArray &path, QByteArray *name)
{
    if (g_noHardLinks.load())
        return EPERM;
    const QByteArray folder = folderOf(path);
    const QByteArray base = baseOf(path);
    int e = EEXIST;
    for (int i = 0; i < kNameAttempts && e == EEXIST; ++i) {
        *name = hiddenName(folder, base);
        e = ::link(path.constData(), name->constData()) == 0 ? 0 : errno;
    }
    if (e != 0)
        name->clear();
    return e;
}

// Follows symbolic links from path to the name that is no link (or does not exist).
// A relative link is read against the folder of the link.
int resolveLinks(const QByteArray &path, QByteArray *target)
{
    if (path.isEmpty())
        return ENOENT;
    QByteArray current = path;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        if (hops == kMaxLinkHops)
            return ELOOP;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(current.constData(), buf, sizeof buf);
        if (n < 0)
            return errno;
        if (size_t(n) == sizeof buf)
            return ENAMETOOLONG;
        QByteArray next(buf, n);
        if (!next.startsWith('/')) {
            const QByteArray folder = folderOf(current);
            next = folder == "." ? next : folder + (folder.endsWith('/') ? "" : "/") + next;
        }
        current = next;
    }
    *target = current;
    return 0;
}

int syncFolderOf(const QByteArray &folder)
{
    const int fd = openFile(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return errno;
    const int e = syncFile(fd);
    ::close(fd);
    return e;
}

// A descriptor of the regular file at name (not following a link) for taking its lock:
// opened for reading, or for writing where the file may only be written. -1 if neither.
int openForLock(const QByteArray &name)
{
    int fd = openFile(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == EACCES)
        fd = openFile(name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
    return fd;
}

// The hidden files of a replacement carry an exclusive lock for as long as it may
// need them, so that the next designer to open or save the project can tell a file
// left by a save that was killed (no lock) from one of a save going on right now.
// The lock belongs to the open file, so it goes with the last descriptor, also when
// the process dies. Returns the descriptor that holds it, or -1 (no lock is no reason
// to fail a save: the file is then only less protected against a cleanup).
int lockHeld(int fd)
{
    if (fd < 0)
        return -1;
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return fd;
}

bool isHiddenNameOf(const char *entry, const QByteArray &prefix)
{
    constexpr std::size_t kSuffix = 8;
    if (std::strncmp(entry, prefix.constData(), std::size_t(prefix.size())) != 0)
        return false;
    const char *suffix = entry + prefix.size();
    if (std::strlen(suffix) != kSuffix)
        return false;
    for (std::size_t i = 0; i < kSuffix; ++i) {
        const unsigned char c = static_cast<unsigned char>(suffix[i]);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

int removeAbandonedHiddenFiles(const QString &path)
{
    QByteArray target;
    if (resolveLinks(QFile::encodeName(path), &target) != 0)
        return 0;
    const QByteArray folder = folderOf(target);
    // As hiddenName makes them: "." + the (possibly cut) name + "." + eight letters.
    const QByteArray prefix = '.' + baseOf(target).left(NAME_MAX - 8 - 2) + '.';
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    QList<QByteArray> candidates;
    while (const dirent *entry = ::readdir(dir))
        if (isHiddenNameOf(entry->d_name, prefix))
            candidates << folder + (folder.endsWith('/') ? "" : "/") + entry->d_name;
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray &name : candidates) {
        struct stat st;
        if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const int fd = openForLock(name);
        if (fd < 0)
            continue;
        // Locked: a save of another designer still needs it.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(name.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

// ---- FileReplacement ----

FileReplacement::FileReplacement(QString path) : m_path(std::move(path)) {}

FileReplacement::~FileReplacement()
{
    finish();
    discardTemporary();
    release();
}

FileReplacement::FileReplacement(FileReplacement &&other) noexcept
    : m_path(std::move(other.m_path)),
      m_target(std::exchange(other.m_target, {})),
      m_folder(std::exchange(other.m_folder, {})),
      m_temp(std::exchange(other.m_temp, {})),
      m_oldName(std::exchange(other.m_oldName, {})),
      m_content(std::exchange(other.m_content, {})),
      m_oldBytes(std::exchange(other.m_oldBytes, {})),
      m_oldMode(other.m_oldMode),
      m_oldUid(other.m_oldUid),
      m_oldGid(other.m_oldGid),
      m_oldInMemory(std::exchange(other.m_oldInMemory, false)),
      m_existed(other.m_existed),
      m_holdFd(std::exchange(other.m_holdFd, -1)),
      m_mode(std::exchange(other.m_mode, Mode::None)),
      m_state(std::exchange(other.m_state, State::Idle))
{
}

FileReplacement &FileReplacement::operator=(FileReplacement &&other) noexcept
{
    if (this != &other) {
        finish();
        discardTemporary();
        release();
        m_path = std::move(other.m_path);
        m_target = std::exchange(other.m_target, {});
        m_folder = std::exchange(other.m_folder, {});
        m_temp = std::exchange(other.m_temp, {});
        m_oldName = std::exchange(other.m_oldName, {});
        m_content = std::exchange(other.m_content, {});
        m_oldBytes = std::exchange(other.m_oldBytes, {});
        m_oldMode = other.m_oldMode;
        m_oldUid = other.m_oldUid;
        m_oldGid = other.m_oldGid;
        m_oldInMemory = std::exchange(other.m_oldInMemory, false);
        m_existed = other.m_existed;
        m_holdFd = std::exchange(other.m_holdFd, -1);
        m_mode = std::exchange(other.m_mode, Mode::None);
        m_state = std::exchange(other.m_state, State::Idle);
    }
    return *this;
}

const QString &FileReplacement::path() const
{
    return m_path;
}

QString FileReplacement::targetPath() const
{
    if (m_mode == Mode::NewFile || m_mode == Mode::DirectWrite)
        return QFile::decodeName(m_target);
    QByteArray target;
    if (resolveLinks(QFile::encodeName(m_path), &target) != 0)
        return m_path;
    return QFile::decodeName(target);
}

bool FileReplacement::existed() const
{
    return m_existed;
}

void FileReplacement::imitateLimitedFileSystem(bool noExchange, bool noHardLinks)
{
    g_noExchange.store(noExchange);
    g_noHardLinks.store(noHardLinks);
}

bool FileReplacement::fail(QString *error, int errorNumber) const
{
    if (error)
        *error = m_mode == Mode::Removal ? fileRemoveError(m_path, errorNumber) : fileWriteError(m_path, errorNumber);
    return false;
}

bool FileReplacement::failWith(QString *error, const QString &reason) const
{
    if (error)
        *error = writeError(m_path, reason);
    return false;
}

void FileReplacement::hold(const QByteArray &name)
{
    const int fd = lockHeld(openForLock(name));
    release();
    m_holdFd = fd;
}

void FileReplacement::release()
{
    if (m_holdFd >= 0)
        ::close(m_holdFd);
    m_holdFd = -1;
}

void FileReplacement::discardTemporary()
{
    // Kept where the folder refuses even this (it became read-only meanwhile), so the
    // destructor tries once more.
    if (!m_temp.isEmpty() && (::unlink(m_temp.constData()) == 0 || errno == ENOENT))
        m_temp.clear();
}

void FileReplacement::reset()
{
    discardTemporary();
    release();
    m_oldName.clear();
    m_content = QByteArray();
    m_oldBytes = QByteArray();
    m_oldInMemory = false;
    m_existed = false;
    m_mode = Mode::None;
    m_state = State::Idle;
}

void FileReplacement::syncFolder() const
{
    // The new name is in place whatever the sync says; a folder that cannot be synced
    // is no reason to undo a save.
    syncFolderOf(m_folder);
}

bool FileReplacement::prepare(QByteArrayView content, QString *error)
{
    if (m_state == State::Committed)
        return fail(error, EBUSY);
    reset();
    const QByteArray given = QFile::encodeName(m_path);
    if (const int e = resolveLinks(given, &m_target))
        return fail(error, e);
    m_folder = folderOf(m_target);
    const QByteArray base = baseOf(m_target);

    struct stat st;
    if (::stat(m_target.constData(), &st) == 0) {
        m_existed = true;
        if (S_ISDIR(st.st_mode))
            return fail(error, EISDIR);
        if (!S_ISREG(st.st_mode))
            return failWith(error, QStringLiteral("není to obyčejný soubor"));
        // The platform refuses to write a read-only file; a rename would not notice.
        if (::access(m_target.constData(), W_OK) != 0)
            return fail(error, errno);
        m_oldMode = st.st_mode & 07777;
        m_oldUid = st.st_uid;
        m_oldGid = st.st_gid;
        // A file with other names (hard links) is one file under all of them: a new
        // file would take this name away from it, and the other names would keep the
        // old content. Written in place, as editors do, every name sees the save.
        if (st.st_nlink > 1)
            return prepareDirectWrite(content, error);
    } else if (errno != ENOENT) {
        return fail(error, errno);
    } else if (m_target != given) {
        // Writing through a dangling link would make a file somewhere the user may not
        // expect, or replace the link by a plain file: neither is wanted.
        return failWith(error, QStringLiteral("odkaz vede na soubor, který neexistuje"));
    }

    const int fd = createHidden(m_folder, base, &m_temp);
    if (fd >= 0) {
        // Held by a second descriptor of its own: the one written through is closed
        // below, and its close reports what a network disk could not store.
        release();
        m_holdFd = lockHeld(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    }
    if (fd < 0) {
        const int e = errno;
        // The folder takes no new file, but the file itself is writable: a save the
        // user has permission for then goes into the file directly.
        if (m_existed && (e == EACCES || e == EPERM))
            return prepareDirectWrite(content, error);
        return fail(error, e);
    }

    if (m_existed) {
        struct stat made;
        if (::fstat(fd, &made) == 0 && (made.st_uid != m_oldUid || made.st_gid != m_oldGid) &&
            ::fchown(fd, m_oldUid, m_oldGid) != 0) {
            // Somebody else's file in a shared folder: a new file would be ours, and
            // the owner could lose access to it. Writing into it keeps the owner.
            ::close(fd);
            discardTemporary();
            release();
            return prepareDirectWrite(content, error);
        }
        // After fchown, which clears the set-id bits. Best effort: a file system
        // without Unix permissions (a FAT memory stick) refuses, and the file must
        // still be saved.
        [[maybe_unused]] const int ignored = ::fchmod(fd, m_oldMode);
    }

    int e = writeAll(fd, content);
    if (e == 0)
        e = syncFile(fd);
    const int closed = closeFile(fd);
    if (e == 0)
        e = closed;
    if (e != 0) {
        discardTemporary();
        release();
        return fail(error, e);
    }
    m_mode = Mode::NewFile;
    m_state = State::Prepared;
    return true;
}

bool FileReplacement::prepareDirectWrite(QByteArrayView content, QString *error)
{
    // The old bytes are all that rollback (and a failed commit) can put back.
    if (const int e = readFile(m_target, &m_oldBytes)) {
        m_oldBytes = QByteArray();
        return fail(error, e);
    }
    m_content = content.toByteArray();
    m_mode = Mode::DirectWrite;
    m_state = State::Prepared;
    return true;
}

bool FileReplacement::prepareRemoval(QString *error)
{
    if (m_state == State::Committed)
        return fail(error, EBUSY);
    reset();
    m_mode = Mode::Removal;
    // The name itself goes: a link is removed, not the file it points to.
    m_target = QFile::encodeName(m_path);
    if (m_target.isEmpty())
        return fail(error, ENOENT);
    m_folder = folderOf(m_target);
    struct stat st;
    if (::lstat(m_target.constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            return fail(error, errno);
        m_state = State::Prepared; // nothing there, nothing to do
        return true;
    }
    if (S_ISDIR(st.st_mode))
        return fail(error, EISDIR);
    if (::access(m_folder.constData(), W_OK | X_OK) != 0)
        return fail(error, errno);
    m_existed = true;
    m_state = State::Prepared;
    return true;
}

bool FileReplacement::commit(QString *error)
{
    if (m_state != State::Prepared)
        return fail(error, EINVAL);

    int e = 0;
    switch (m_mode) {
    case Mode::None:
        return fail(error, EINVAL);
    case Mode::NewFile:
        if (!m_existed) {
            // No file to keep; but one that turned up since prepare is not overwritten.
            e = renameNoReplace(m_temp, m_target);
            if (e == 0)
                m_temp.clear();
            break;
        }
        // The swap leaves the old file under the hidden name, ready for a rollback.
        if (!g_noExchange.load() &&
            ::renameat2(AT_FDCWD, m_temp.constData(), AT_FDCWD, m_target.constData(), RENAME_EXCHANGE) == 0) {
            m_oldName = std::exchange(m_temp, {});
            break;
        }
        e = g_noExchange.load() ? EINVAL : errno;
        if (!exchangeRefused(e))
            break;
        // No swap here (NFS): a second name keeps the old file; without hard links
        // (FAT), its bytes do.
        e = 0;
        if (linkAside(m_target, &m_oldName) != 0) {
            e = readFile(m_target, &m_oldBytes);
            m_oldInMemory = e == 0;
        }
        if (e == 0 && ::rename(m_temp.constData(), m_target.constData()) != 0)
            e = errno;
        if (e == 0) {
            m_temp.clear();
        } else {
            if (!m_oldName.isEmpty())
                ::unlink(m_oldName.constData());
            m_oldName.clear();
            m_oldBytes = QByteArray();
            m_oldInMemory = false;
        }
        break;
    case Mode::DirectWrite:
        e = writeInPlace(m_target, m_content, m_oldBytes);
        break;
    case Mode::Removal:
        if (m_existed)
            e = moveAside(m_target, &m_oldName);
        break;
    }

    if (e != 0) {
        // The target is as it was; nothing of this attempt is kept.
        discardTemporary();
        release();
        m_content = QByteArray();
        m_oldBytes = QByteArray();
        m_state = State::Idle;
        return fail(error, e);
    }
    // The hidden name holds the old file now, which rollback needs.
    if (!m_oldName.isEmpty())
        hold(m_oldName);
    else
        release();
    m_content = QByteArray();
    m_state = State::Committed;
    return true;
}

bool FileReplacement::rollback(QString *error)
{
    if (m_state != State::Committed)
        return fail(error, EINVAL);

    int e = 0;
    switch (m_mode) {
    case Mode::None:
        break;
    case Mode::NewFile:
        if (!m_existed) {
            if (::unlink(m_target.constData()) != 0 && errno != ENOENT)
                e = errno;
        } else if (!m_oldName.isEmpty()) {
            // Back under its name, the old file is the very one it was (inode, owner, links).
            e = ::rename(m_oldName.constData(), m_target.constData()) == 0 ? 0 : errno;
        } else if (m_oldInMemory) {
            // As a new file of the old owner and permissions, put in place by a rename.
            const int fd = createHidden(m_folder, baseOf(m_target), &m_temp);
            if (fd < 0) {
                e = errno;
                break;
            }
            [[maybe_unused]] const int owner = ::fchown(fd, m_oldUid, m_oldGid);
            [[maybe_unused]] const int mode = ::fchmod(fd, m_oldMode);
            e = writeAll(fd, m_oldBytes);
            if (e == 0)
                e = syncFile(fd);
            const int closed = closeFile(fd);
            if (e == 0)
                e = closed;
            if (e == 0 && ::rename(m_temp.constData(), m_target.constData()) != 0)
                e = errno;
            if (e == 0)
                m_temp.clear();
            else
                discardTemporary();
        }
        break;
    case Mode::DirectWrite:
        e = writeInPlace(m_target, m_oldBytes, m_oldBytes);
        break;
    case Mode::Removal:
        if (m_existed)
            e = ::rename(m_oldName.constData(), m_target.constData()) == 0 ? 0 : errno;
        break;
    }

    if (e != 0) {
        // The new content stays, still committed: the caller may try again, or finish.
        if (error)
            *error = QStringLiteral("Původní obsah souboru „%1“ nelze obnovit: %2.")
                         .arg(fileName(m_path), czechSystemReason(e));
        return false;
    }
    m_oldName.clear();
    m_oldBytes = QByteArray();
    m_oldInMemory = false;
    release();
    syncFolder();
    m_state = State::Done;
    return true;
}

void FileReplacement::finish()
{
    if (m_state != State::Committed)
        return;
    if (!m_oldName.isEmpty())
        ::unlink(m_oldName.constData()); // a leftover hidden file is all a failure could cost
    m_oldName.clear();
    m_oldBytes = QByteArray();
    m_oldInMemory = false;
    release();
    syncFolder();
    m_state = State::Done;
}

bool replaceFile(const QString &path, QByteArrayView content, QString *error)
{
    FileReplacement replacement(path);
    if (!replacement.prepare(content, error) || !replacement.commit(error))
        return false;
    replacement.finish();
    return true;
}

bool syncFileAndFolder(const QString &path)
{
    QByteArray target;
    if (resolveLinks(QFile::encodeName(path), &target) != 0)
        return false;
    const int fd = openFile(target.constData(), O_RDONLY);
    if (fd < 0)
        return false;
    bool ok = syncFile(fd) == 0;
    ::close(fd);
    // The directory entry too, so the file's new name survives a power cut. A folder
    // that cannot be opened (no read permission) leaves only the file synced.
    const int dirFd = openFile(folderOf(target).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ok = syncFile(dirFd) == 0 && ok;
        ::close(dirFd);
    }
    return ok;
}

} // namespace korvel
