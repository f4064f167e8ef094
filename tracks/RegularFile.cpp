#include "tracks/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/FileReplacement.h"

namespace korvel {

namespace {

QString readReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return QStringLiteral("neexistuje");
    case EACCES:
    case EPERM:
        return QStringLiteral("nemáte oprávnění ho číst");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("není obyčejný soubor");
    default:
        return czechSystemReason(errorNumber);
    }
}

// "1,5 MB", "4 MB".
QString megabytes(qint64 bytes)
{
    return QLocale(QLocale::Czech).toString(double(bytes) / (1024 * 1024), 'g', 3) + QStringLiteral(" MB");
}

} // namespace

int openRegularFile(const QString &path, qint64 *size, QString *reason)
{
    *size = 0;
    const QByteArray native = QFile::encodeName(path);
    int fd;
    // Without O_NONBLOCK opening a FIFO waits for a writer, however long.
    do {
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *reason = readReason(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        *reason = folder ? QStringLiteral("je to složka")
                         : QStringLiteral("není obyčejný soubor (je to roura, zařízení nebo odkaz na ně)");
        return -1;
    }
    // Reads of a regular file never wait for a writer; the flag goes so that no
    // reader of the descriptor ever sees EAGAIN.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    *size = qint64(st.st_size);
    return fd;
}

RegularFileContent readRegularFile(const QString &path, qint64 limit, const QString &what)
{
    RegularFileContent result;
    const QString name = QFileInfo(path).fileName();
    qint64 size = 0;
    QString reason;
    const int fd = openRegularFile(path, &size, &reason);
    if (fd < 0) {
        result.error = QStringLiteral("%1 „%2“ nelze číst: %3.").arg(what, name, reason);
        return result;
    }
    const QString tooLarge = QStringLiteral("%1 „%2“ je větší než %3, takový nebývá; nečte se.")
                                 .arg(what, name, megabytes(limit));
    if (size > limit) {
        ::close(fd);
        result.error = tooLarge;
        return result;
    }
    // Read to the end rather than trusting the size, but never past the limit: a file
    // that grows meanwhile is refused as a large one is.
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > limit) {
                ::close(fd);
                result.error = tooLarge;
                return result;
            }
            bytes.resize(qsizetype(std::min<qint64>(limit + 1, bytes.size() * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            result.error = QStringLiteral("%1 „%2“ nelze číst: %3.").arg(what, name, readReason(e));
            return result;
        }
        if (n == 0)
            break;
        used += n;
    }
    ::close(fd);
    bytes.resize(used);
    result.bytes = bytes;
    return result;
}

} // namespace korvel
