#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <memory>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::test {

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Makes a folder refuse new files, renames and removals while the files in it stay
// writable: an immutable folder for root (whom permissions do not bind), a read-only
// one for anybody else; a shared folder, a colleague's folder, a CD. Returns an undo,
// or nothing where the file system cannot do it.
inline std::function<void()> refuseNewFiles(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (!runningAsRoot()) {
        if (::chmod(native.constData(), 0555) != 0)
            return {};
        return [native] { ::chmod(native.constData(), 0755); };
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd < 0 || ::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    const int immutable = flags | FS_IMMUTABLE_FL;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &immutable) != 0) {
        ::close(fd);
        return {};
    }
    return [fd, flags] {
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        ::close(fd);
    };
}

// A file size limit while alive: writes beyond it fail with EFBIG (SIGXFSZ is
// ignored meanwhile), for anybody, root included.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        m_savedHandler = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isValid() const { return m_active; }

private:
    struct rlimit m_saved {};
    sighandler_t m_savedHandler = SIG_DFL;
    bool m_active = false;
};

// A full disk: for root, a 64 KiB tmpfs mounted on folder and filled up; for anybody
// else (or where mounting is not allowed), a file size limit of 8 KiB, which makes
// writes fail with EFBIG as a full disk makes them fail with ENOSPC.
class FullDisk {
public:
    explicit FullDisk(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = runningAsRoot() &&
                    ::mount("korvel-test", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") == 0;
        if (!m_mounted)
            m_limit = std::make_unique<FileSizeLimit>(8192);
    }
    ~FullDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    bool isValid() const { return m_mounted || m_limit->isValid(); }
    // Takes the rest of the space, once the files the test needs are there.
    void fill() const
    {
        if (!m_mounted)
            return;
        const int fd = ::open((m_folder + "/filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const QByteArray block(4096, 'f');
        while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
    }
    // What the failure says: no space, or for the size limit, a file too big.
    QString reason() const
    {
        return m_mounted ? QStringLiteral("na disku není volné místo") : QStringLiteral("soubor je příliš velký");
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    std::unique_ptr<FileSizeLimit> m_limit;
};

} // namespace korvel::test
