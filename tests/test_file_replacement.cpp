// FileReplacement on real files: what is on disk after each step, and after each way
// a step can fail.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <optional>
#include <vector>

#include "FolderTestUtil.h"
#include "SettingsTestSupport.h"
#include "settings/FileReplacement.h"
#include "settings/IniFile.h"

using namespace korvel;
using namespace korvel::testing;
using namespace korvel::test;

namespace {

constexpr uid_t kNobody = 65534;

QByteArray native(const QString &path) { return QFile::encodeName(path); }

struct stat statOf(const QString &path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        st.st_ino = 0;
    return st;
}

// Everything in the folder, hidden files included, sorted.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// A private folder that an ordinary user (see OrdinaryUser) may use as its own.
class Folder {
public:
    Folder()
    {
        if (!m_dir.isValid())
            return;
        ::chmod(native(m_dir.path()).constData(), 0755);
        m_path = m_dir.filePath(QStringLiteral("f"));
        ::mkdir(native(m_path).constData(), 0755);
        if (runningAsRoot() && ::chown(native(m_path).constData(), kNobody, kNobody) != 0)
            m_path.clear();
    }
    bool isValid() const { return !m_path.isEmpty() && QFileInfo(m_path).isDir(); }
    const QString &path() const { return m_path; }
    QString filePath(const QString &name) const { return m_path + u'/' + name; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Permissions do not bind root, so where a test needs them to, root acts as the user
// "nobody" for the while (the saved set-user-ID stays root, to come back). Anybody
// else is an ordinary user already.
class OrdinaryUser {
public:
    OrdinaryUser()
    {
        if (!runningAsRoot())
            return;
        if (::setresgid(kNobody, kNobody, 0) != 0)
            return;
        m_dropped = ::setresuid(kNobody, kNobody, 0) == 0;
        if (!m_dropped && ::setresgid(0, 0, 0) != 0)
            std::abort();
    }
    ~OrdinaryUser()
    {
        if (m_dropped && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            std::abort(); // the tests after this one would run with the wrong rights
        if (m_dropped)
            ::prctl(PR_SET_DUMPABLE, 1); // the uid change cleared it
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;
    bool active() const { return !runningAsRoot(); }

private:
    bool m_dropped = false;
};

// A folder's permissions changed for the while, and put back even when an assertion
// ends the test early (a folder left read-only could not be cleaned up).
class FolderMode {
public:
    FolderMode(const QString &folder, mode_t mode) : m_folder(native(folder))
    {
        m_changed = ::chmod(m_folder.constData(), mode) == 0;
    }
    ~FolderMode() { restore(); }
    FolderMode(const FolderMode &) = delete;
    FolderMode &operator=(const FolderMode &) = delete;
    bool isValid() const { return m_changed; }
    void restore()
    {
        if (m_changed)
            ::chmod(m_folder.constData(), 0755);
        m_changed = false;
    }

private:
    QByteArray m_folder;
    bool m_changed = false;
};

// The rename and hard-link fallbacks of a file system that has neither, while alive.
class LimitedFileSystem {
public:
    LimitedFileSystem(bool noExchange, bool noHardLinks)
    {
        FileReplacement::imitateLimitedFileSystem(noExchange, noHardLinks);
    }
    ~LimitedFileSystem() { FileReplacement::imitateLimitedFileSystem(false, false); }
};

} // namespace

TEST(FileReplacement, MessagesAreCzechAndNameTheFile)
{
    EXPECT_EQ(fileWriteError(QStringLiteral("/home/jana/alba/album.im1"), ENOSPC),
              QStringLiteral("Soubor „album.im1“ nelze zapsat: na disku není volné místo."));
    EXPECT_EQ(czechSystemReason(EACCES), QStringLiteral("nemáte oprávnění k zápisu"));
    EXPECT_EQ(czechSystemReason(EROFS), QStringLiteral("svazek je jen pro čtení"));
    EXPECT_EQ(czechSystemReason(EDQUOT), QStringLiteral("byla překročena kvóta"));
    // Anything else in the system's words, never empty.
    EXPECT_FALSE(czechSystemReason(EXFULL).isEmpty());
    EXPECT_NE(czechSystemReason(EXFULL), czechSystemReason(EIO));
    EXPECT_EQ(fileRemoveError(QStringLiteral("a/b.im2"), EACCES),
              QStringLiteral("Soubor „b.im2“ nelze odstranit: nemáte oprávnění k zápisu."));
}

TEST(FileReplacement, ReplacesTheContentKeepingPermissionsAndOwner)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("album.kvp"));
    writeBytes(file, "old content, longer than the new");
    ASSERT_EQ(::chmod(native(file).constData(), 0640), 0);
    if (runningAsRoot()) {
        ASSERT_EQ(::chown(native(file).constData(), kNobody, kNobody), 0); // root saving a user's file
    }

    QString error;
    EXPECT_TRUE(replaceFile(file, "new", &error)) << error.toStdString();
    EXPECT_EQ(readBytes(file), "new");
    const struct stat st = statOf(file);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (runningAsRoot()) {
        EXPECT_EQ(st.st_uid, kNobody);
        EXPECT_EQ(st.st_gid, kNobody);
    }
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("album.kvp")});

    // IniFile writes the same way.
    EXPECT_TRUE(IniFile::saveAtomically(file, "[S]\r\nk=v\r\n"));
    EXPECT_EQ(readBytes(file), "[S]\r\nk=v\r\n");
    EXPECT_EQ(statOf(file).st_mode & 07777, 0640u);
    EXPECT_FALSE(replaceFile(dir.path(), "x", &error)); // a folder in the file's place
    EXPECT_TRUE(error.contains(QStringLiteral("nelze zapsat"))) << error.toStdString();
}

TEST(FileReplacement, ANewFileGetsThePermissionsTheUmaskAllows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("new.kvp"));
    const mode_t previous = ::umask(027);
    QString error;
    FileReplacement replacement(file);
    const bool prepared = replacement.prepare("fresh", &error);
    ::umask(previous);
    ASSERT_TRUE(prepared) << error.toStdString();
    EXPECT_FALSE(replacement.existed());
    EXPECT_FALSE(QFileInfo::exists(file)); // nothing visible before commit
    ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
    replacement.finish();
    EXPECT_EQ(readBytes(file), "fresh");
    EXPECT_EQ(statOf(file).st_mode & 07777, 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("new.kvp")});
}

TEST(FileReplacement, ASymbolicLinkIsWrittenThroughAndStaysALink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("links")));
    const QString target = dir.filePath(QStringLiteral("real/album.kvp"));
    const QString link = dir.filePath(QStringLiteral("links/album.kvp"));
    writeBytes(target, "old");
    ASSERT_EQ(::symlink("../real/album.kvp", native(link).constData()), 0); // relative, as users make them

    FileReplacement replacement(link);
    EXPECT_EQ(QFileInfo(replacement.targetPath()).canonicalFilePath(), QFileInfo(target).canonicalFilePath());
    QString error;
    ASSERT_TRUE(replacement.prepare("via link", &error)) << error.toStdString();
    // The new file is made beside the target, where the rename can put it in place.
    EXPECT_EQ(entries(dir.filePath(QStringLiteral("links"))), QStringList{QStringLiteral("album.kvp")});
    EXPECT_EQ(entries(dir.filePath(QStringLiteral("real"))).size(), 2);
    ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
    replacement.finish();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), "via link");
    EXPECT_EQ(entries(dir.filePath(QStringLiteral("real"))), QStringList{QStringLiteral("album.kvp")});
    EXPECT_TRUE(IniFile::syncToDisk(link));

    // A dangling link is refused and stays as it is.
    const QString dangling = dir.filePath(QStringLiteral("links/gone.kvp"));
    ASSERT_EQ(::symlink("../real/gone.kvp", native(dangling).constData()), 0);
    EXPECT_FALSE(replaceFile(dangling, "x", &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor „gone.kvp“ nelze zapsat"))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("real/gone.kvp"))));
    EXPECT_FALSE(IniFile::syncToDisk(dangling));

    // A removal takes the link away, not the file it points to.
    FileReplacement removal(link);
    ASSERT_TRUE(removal.prepareRemoval(&error)) << error.toStdString();
    ASSERT_TRUE(removal.commit(&error)) << error.toStdString();
    removal.finish();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), "via link");
}

TEST(FileReplacement, RollbackPutsBackWhatWasThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString changed = dir.filePath(QStringLiteral("album.kvp"));
    const QString added = dir.filePath(QStringLiteral("album.im1"));
    const QString removed = dir.filePath(QStringLiteral("album.im2"));
    const QString missing = dir.filePath(QStringLiteral("album.im3"));
    writeBytes(changed, "old project");
    writeBytes(removed, "old picture");
    const ino_t changedInode = statOf(changed).st_ino;
    const QStringList before = entries(dir.path());

    // One save of several files, kept together as a save would keep them.
    QString error;
    std::vector<FileReplacement> save;
    save.emplace_back(changed);
    ASSERT_TRUE(save.back().prepare("new project", &error)) << error.toStdString();
    save.emplace_back(added);
    ASSERT_TRUE(save.back().prepare("new picture", &error)) << error.toStdString();
    save.emplace_back(removed);
    ASSERT_TRUE(save.back().prepareRemoval(&error)) << error.toStdString();
    save.emplace_back(missing);
    ASSERT_TRUE(save.back().prepareRemoval(&error)) << error.toStdString();
    for (FileReplacement &file : save)
        ASSERT_TRUE(file.commit(&error)) << error.toStdString();
    EXPECT_EQ(readBytes(changed), "new project");
    EXPECT_EQ(readBytes(added), "new picture");
    EXPECT_FALSE(QFileInfo::exists(removed));

    for (FileReplacement &file : save)
        EXPECT_TRUE(file.rollback(&error)) << error.toStdString();
    EXPECT_EQ(readBytes(changed), "old project");
    EXPECT_EQ(statOf(changed).st_ino, changedInode); // the very file, not a copy
    EXPECT_FALSE(QFileInfo::exists(added));
    EXPECT_EQ(readBytes(removed), "old picture");
    EXPECT_EQ(entries(dir.path()), before);
    save.clear();
    EXPECT_EQ(entries(dir.path()), before);

    // Committed and never finished: the end of the object finishes it.
    {
        FileReplacement replacement(changed);
        ASSERT_TRUE(replacement.prepare("kept", &error)) << error.toStdString();
        ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
        EXPECT_EQ(entries(dir.path()).size(), before.size() + 1); // the old file, hidden
        FileReplacement moved(std::move(replacement));
    }
    EXPECT_EQ(readBytes(changed), "kept");
    EXPECT_EQ(entries(dir.path()), before);
}

TEST(FileReplacement, RollbackWorksWithoutExchangeOrHardLinks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("album.kvp"));
    writeBytes(file, "old");
    ASSERT_EQ(::chmod(native(file).constData(), 0640), 0);
    const ino_t inode = statOf(file).st_ino;
    QString error;
    {
        // NFS: no swap, but the old file keeps a second, hidden name.
        LimitedFileSystem nfs(true, false);
        FileReplacement replacement(file);
        ASSERT_TRUE(replacement.prepare("new", &error)) << error.toStdString();
        ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "new");
        EXPECT_EQ(entries(dir.path()).size(), 2);
        ASSERT_TRUE(replacement.rollback(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "old");
        EXPECT_EQ(statOf(file).st_ino, inode);
    }
    {
        // FAT: no hard links either; the old bytes wait in memory.
        LimitedFileSystem fat(true, true);
        FileReplacement replacement(file);
        ASSERT_TRUE(replacement.prepare("newer", &error)) << error.toStdString();
        ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "newer");
        EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("album.kvp")});
        ASSERT_TRUE(replacement.rollback(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "old");
        EXPECT_EQ(statOf(file).st_mode & 07777, 0640u);

        // And a removal, with a plain rename to the hidden name.
        FileReplacement removal(file);
        ASSERT_TRUE(removal.prepareRemoval(&error)) << error.toStdString();
        ASSERT_TRUE(removal.commit(&error)) << error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
        ASSERT_TRUE(removal.rollback(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "old");
    }
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("album.kvp")});
}

TEST(FileReplacement, AFullDiskLeavesTheOldFileByteForByte)
{
    Folder folder;
    ASSERT_TRUE(folder.isValid());
    // For the last part, made while files of any size can still be written.
    const QString large = folder.filePath(QStringLiteral("large.kvp"));
    const QByteArray largeOld(16 * 1024, 'o');
    writeBytes(large, largeOld);
    ASSERT_EQ(::chmod(native(large).constData(), 0666), 0);
    const QString disk = folder.filePath(QStringLiteral("disk"));
    ASSERT_EQ(::mkdir(native(disk).constData(), 0755), 0);
    FullDisk full(disk);
    ASSERT_TRUE(full.isValid());
    const QString file = disk + QStringLiteral("/album.kvp");
    const QByteArray old(4096, 'o');
    writeBytes(file, old);
    ASSERT_EQ(::chmod(native(file).constData(), 0666), 0);
    full.fill();
    const QStringList before = entries(disk);
    const QByteArray big(32 * 1024, 'n');

    // A new file beside the target: it cannot be written, the target stays.
    QString error;
    EXPECT_FALSE(replaceFile(file, big, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("„album.kvp“ nelze zapsat"))) << error.toStdString();
    EXPECT_TRUE(error.contains(full.reason())) << error.toStdString();
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(entries(disk), before);

    // The direct write, where the folder takes no new file: the commit fails before a
    // byte has changed, and the file is not cut short.
    const bool root = runningAsRoot();
    {
        OrdinaryUser user;
        ASSERT_TRUE(user.active());
        // Root acting as nobody finds the folder root's, taking nothing already.
        std::optional<FolderMode> readOnly;
        if (!root) {
            readOnly.emplace(disk, 0555);
            ASSERT_TRUE(readOnly->isValid());
        }
        FileReplacement replacement(file);
        error.clear();
        ASSERT_TRUE(replacement.prepare(big, &error)) << error.toStdString();
        EXPECT_FALSE(replacement.commit(&error));
        EXPECT_TRUE(error.contains(QStringLiteral("„album.kvp“ nelze zapsat"))) << error.toStdString();
        EXPECT_TRUE(error.contains(full.reason())) << error.toStdString();
    }
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(statOf(file).st_size, old.size());
    EXPECT_EQ(entries(disk), before);

    // A direct write that stops part way (the new content is shorter than the old, so
    // nothing is reserved, and the limit lies inside both): the new bytes already
    // written are written back over with the old ones.
    {
        OrdinaryUser user;
        ASSERT_TRUE(user.active());
        FolderMode readOnly(folder.path(), 0555);
        ASSERT_TRUE(readOnly.isValid());
        FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.isValid());
        error.clear();
        EXPECT_FALSE(replaceFile(large, QByteArray(12 * 1024, 'n'), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("soubor je příliš velký"))) << error.toStdString();
    }
    EXPECT_EQ(readBytes(large), largeOld);
}

TEST(FileReplacement, ARefusedCommitLeavesTheOldFileAndNoHiddenFile)
{
    Folder folder;
    ASSERT_TRUE(folder.isValid());
    OrdinaryUser user;
    ASSERT_TRUE(user.active());
    const QString file = folder.filePath(QStringLiteral("album.kvp"));
    writeBytes(file, "old");
    QString error;
    {
        FileReplacement replacement(file);
        ASSERT_TRUE(replacement.prepare("new", &error)) << error.toStdString();
        FolderMode readOnly(folder.path(), 0555); // the folder turns read-only meanwhile
        ASSERT_TRUE(readOnly.isValid());
        EXPECT_FALSE(replacement.commit(&error));
        EXPECT_EQ(error, QStringLiteral("Soubor „album.kvp“ nelze zapsat: nemáte oprávnění k zápisu."));
        EXPECT_EQ(readBytes(file), "old");

        FileReplacement removal(file);
        EXPECT_FALSE(removal.prepareRemoval(&error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor „album.kvp“ nelze odstranit"))) << error.toStdString();
        readOnly.restore();
        // The hidden new file could not go while the folder was read-only; it goes now.
    }
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(entries(folder.path()), QStringList{QStringLiteral("album.kvp")});
}

TEST(FileReplacement, WritesInPlaceWhereNoNewFileCanReplaceTheTarget)
{
    Folder folder;
    ASSERT_TRUE(folder.isValid());
    const bool root = runningAsRoot();
    const QString shared = folder.filePath(QStringLiteral("shared"));
    const QString othersFile = shared + QStringLiteral("/theirs.kvp");
    if (root) {
        // A folder everybody writes to, with a file of another user (root) that
        // everybody may write: a new file could not keep its owner.
        ASSERT_EQ(::mkdir(native(shared).constData(), 0777), 0);
        ASSERT_EQ(::chmod(native(shared).constData(), 0777), 0);
        writeBytes(othersFile, "their old text");
        ASSERT_EQ(::chmod(native(othersFile).constData(), 0666), 0);
    }

    OrdinaryUser user;
    ASSERT_TRUE(user.active());
    const QString file = folder.filePath(QStringLiteral("album.kvp"));
    const QByteArray old("old content, longer than the new one");
    writeBytes(file, old);
    const ino_t inode = statOf(file).st_ino;
    QString error;
    {
        FolderMode readOnly(folder.path(), 0555); // takes no new file
        ASSERT_TRUE(readOnly.isValid());
        FileReplacement replacement(file);
        ASSERT_TRUE(replacement.prepare("new", &error)) << error.toStdString();
        ASSERT_TRUE(replacement.commit(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), "new");
        EXPECT_EQ(statOf(file).st_ino, inode);
        EXPECT_TRUE(replacement.rollback(&error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), old);
        EXPECT_EQ(statOf(file).st_ino, inode);

        EXPECT_TRUE(replaceFile(file, old + " and more", &error)) << error.toStdString();
        EXPECT_EQ(readBytes(file), old + " and more");
        EXPECT_EQ(statOf(file).st_ino, inode);
    }

    // A read-only file is refused, whatever the folder allows.
    ASSERT_EQ(::chmod(native(file).constData(), 0444), 0);
    EXPECT_FALSE(replaceFile(file, "refused", &error));
    EXPECT_EQ(error, QStringLiteral("Soubor „album.kvp“ nelze zapsat: nemáte oprávnění k zápisu."));
    EXPECT_EQ(readBytes(file), old + " and more");
    const QStringList expected = root ? QStringList{QStringLiteral("album.kvp"), QStringLiteral("shared")}
                                      : QStringList{QStringLiteral("album.kvp")};
    EXPECT_EQ(entries(folder.path()), expected);

    if (root) {
        EXPECT_TRUE(replaceFile(othersFile, "mine", &error)) << error.toStdString();
        EXPECT_EQ(readBytes(othersFile), "mine");
        EXPECT_EQ(statOf(othersFile).st_uid, 0u); // still theirs
        EXPECT_EQ(entries(shared), QStringList{QStringLiteral("theirs.kvp")});
    }
}

TEST(FileReplacement, AHardLinkedFileIsWrittenInPlaceSoEveryNameSeesTheSave)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("album.kvp"));
    const QString other = dir.filePath(QStringLiteral("copy.kvp"));
    writeBytes(file, "old");
    ASSERT_EQ(::link(native(file).constData(), native(other).constData()), 0);
    const ino_t inode = statOf(file).st_ino;

    QString error;
    ASSERT_TRUE(replaceFile(file, "new content", &error)) << error.toStdString();
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
    EXPECT_EQ(readBytes(other), "new content");

    // Put back by a rollback the same way.
    FileReplacement r(file);
    ASSERT_TRUE(r.prepare("newer", &error) && r.commit(&error)) << error.toStdString();
    ASSERT_TRUE(r.rollback(&error)) << error.toStdString();
    EXPECT_EQ(readBytes(other), "new content");
    EXPECT_EQ(entries(dir.path()), (QStringList{"album.kvp", "copy.kvp"}));
}

TEST(FileReplacement, HiddenFilesOfAKilledSaveGoButThoseOfASaveGoingOnStay)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("album.kvp"));
    writeBytes(file, "old");
    // What a save killed half-way leaves: its new file, or the old one under a hidden name.
    writeBytes(dir.filePath(QStringLiteral(".album.kvp.Ab3dEf9h")), "killed");
    writeBytes(dir.filePath(QStringLiteral(".album.kvp.Zz0Zz0Zz")), "killed too");
    // Not leftovers of this file: another project's, a name of another shape, the user's own.
    writeBytes(dir.filePath(QStringLiteral(".album.kvp.x")), "user");
    writeBytes(dir.filePath(QStringLiteral(".other.kvp.Ab3dEf9h")), "other");
    writeBytes(dir.filePath(QStringLiteral(".album.kvp.Ab3dEf9h~")), "backup");

    // A save going on (prepared and committed, not finished) holds its hidden file.
    FileReplacement going(file);
    QString error;
    ASSERT_TRUE(going.prepare("new", &error) && going.commit(&error)) << error.toStdString();
    const QStringList before = entries(dir.path());
    ASSERT_EQ(before.size(), 7) << before.join(u' ').toStdString();

    EXPECT_EQ(removeAbandonedHiddenFiles(file), 2);
    const QStringList after = entries(dir.path());
    EXPECT_EQ(after.size(), 5) << after.join(u' ').toStdString();
    EXPECT_FALSE(after.contains(QStringLiteral(".album.kvp.Ab3dEf9h")));
    EXPECT_TRUE(after.contains(QStringLiteral(".other.kvp.Ab3dEf9h")));
    EXPECT_TRUE(after.contains(QStringLiteral(".album.kvp.x")));
    // The held one is the old file, which a rollback still puts back.
    ASSERT_TRUE(going.rollback(&error)) << error.toStdString();
    EXPECT_EQ(readBytes(file), "old");
}
