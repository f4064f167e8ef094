#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

class QFileDevice;

namespace korvel {

// Why a system call failed, in Czech, for the user's messages: "na disku není volné
// místo", "nemáte oprávnění k zápisu", "svazek je jen pro čtení" and so on; for an
// error without a wording of our own, the system's text (strerror).
QString czechSystemReason(int errorNumber);
// The same for a file to be read ("soubor neexistuje", "nemáte oprávnění ke čtení").
QString czechReadReason(int errorNumber);
// Why the file at path cannot be opened for reading, asked of the system once more.
QString czechReadReason(const QString &path);
// "Soubor „album.im1“ nelze zapsat: na disku není volné místo." The file's name
// without its folder, then the reason.
QString fileWriteError(const QString &path, int errorNumber);
// "/domů/obal.pdf nelze zapsat: na disku není volné místo": a printed output named
// as given, then why, from the system's error number or else from the file device.
QString outputWriteError(const QString &path, const QFileDevice &file, int errorNumber);
// "Soubor „album.im1“ nelze odstranit: …", the same for a file that was to go.
QString fileRemoveError(const QString &path, int errorNumber);

// One file of a save, replaced so that whatever fails, the file on disk is either
// the old one or the new one, never a mix of both nor a file cut short.
//
// The steps are prepare (or prepareRemoval) → commit → finish, or rollback instead
// of finish. prepare does everything that can fail for want of space or permission
// while nothing visible changes yet, so a save of several files can prepare them all
// before committing any; commit only swaps names (or, in the direct-write fallback,
// writes the file itself, undoing its own writes when they fail); until finish, the
// old file is kept so that rollback can put it back exactly.
//
// The ways a file gets its new content, most careful first:
//  - a new file beside the target, made durable, then renamed over it; an existing
//    target is swapped with it (renameat2 RENAME_EXCHANGE), so the old file lives on
//    under the hidden name; where the file system cannot swap (NFS), the old file gets
//    a second hidden name by a hard link first, and where it has no hard links either
//    (FAT), its bytes are kept in memory;
//  - the direct write into the target itself, only where a new file cannot take its
//    place: the folder refuses new files although the file is writable, or the file
//    belongs to somebody else whose ownership a new file could not keep (a shared
//    folder). The old bytes are read at prepare, the new ones written without
//    truncating first, and a failure writes the old ones back.
//
// Hidden names are "." + file name + "." + a random suffix, in the target's folder.
// A symbolic link is followed: the file it points to is replaced and its folder is
// the one synced; a dangling link is refused. A removal, unlike a replacement, takes
// away the name at path itself, so a link is removed and the file it points to (which
// may belong to anything outside the project) stays.
//
// A file with more than one name (hard links) is written in place, so that every
// name sees the new content.
//
// Each replacement keeps one descriptor open between the steps, on the hidden file it
// still needs, with an exclusive lock on it: removeAbandonedHiddenFiles leaves such a
// file alone and takes those whose lock nobody holds (a save that was killed).
class FileReplacement {
public:
    explicit FileReplacement(QString path);
    // Removes any hidden file left behind; a committed but unfinished replacement is
    // finished (the new content stays).
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    FileReplacement(FileReplacement &&other) noexcept;
    // Ends this one as the destructor would, then takes over other.
    FileReplacement &operator=(FileReplacement &&other) noexcept;

    // Writes content into a new hidden file beside the target (created with mode 0666,
    // so the umask applies; an existing target's permission bits and owner are copied),
    // all of it, and syncs it. Nothing visible at the target changes. Where the direct
    // write must be used (see above), reads the old bytes now instead. A target that
    // is not writable, not a regular file, or a dangling link is refused. Returns false
    // with *error set to a message for the user (error may be null); nothing is left on
    // disk then. May be called again to prepare other content.
    bool prepare(QByteArrayView content, QString *error);
    // The name at path will be removed at commit. A missing file: nothing to do, and
    // commit succeeds. A folder is refused, as is a folder that takes no changes.
    bool prepareRemoval(QString *error);

    // Puts the prepared content in place, or takes the file away. Returns false with
    // *error; after a failed commit the target is as it was before.
    bool commit(QString *error);
    // After a successful commit: puts back exactly what was there before (the old file
    // with its bytes, its inode where it can, or no file), and syncs the folder. Where
    // that fails, the new content stays and the replacement is still committed.
    bool rollback(QString *error);
    // After a successful commit: drops what rollback would need and syncs the target's
    // folder so the new name survives a power cut. Does nothing in any other state.
    void finish();

    const QString &path() const;  // as given
    QString targetPath() const;   // where path is a symbolic link, the file it points to
    bool existed() const;         // whether the target existed when prepared

    // For tests only: behave as on a file system without RENAME_EXCHANGE (NFS) and/or
    // without hard links (FAT), whatever the real one offers. Process-wide.
    static void imitateLimitedFileSystem(bool noExchange, bool noHardLinks);

private:
    enum class Mode { None, NewFile, DirectWrite, Removal };
    enum class State { Idle, Prepared, Committed, Done };

    bool fail(QString *error, int errorNumber) const;
    bool failWith(QString *error, const QString &reason) const;
    bool prepareDirectWrite(QByteArrayView content, QString *error);
    void discardTemporary();
    // Keeps the file at name (a hidden one) locked from now on; release drops the lock.
    void hold(const QByteArray &name);
    void release();
    void dropOld();
    void syncFolder() const;
    void reset();

    QString m_path;
    QByteArray m_target;    // encoded, the link's target where path is a link
    QByteArray m_folder;    // the target's folder, "." for a bare name
    QByteArray m_temp;      // the new content, before commit
    QByteArray m_oldName;   // the old file under a hidden name, after commit
    QByteArray m_content;   // the new content of a direct write
    QByteArray m_oldBytes;  // the old content, where no hidden name could keep it
    mode_t m_oldMode = 0;
    uid_t m_oldUid = 0;
    gid_t m_oldGid = 0;
    bool m_oldInMemory = false;
    bool m_existed = false;
    int m_holdFd = -1;
    Mode m_mode = Mode::None;
    State m_state = State::Idle;
};

// Removes the hidden files that replacements of the file at path (a link's target)
// left behind when their process was killed half-way: those that no running
// replacement holds locked. Returns how many went. Files the folder does not let go
// of stay, silently.
int removeAbandonedHiddenFiles(const QString &path);

// The whole sequence for one file: prepare, commit, finish. Returns false with
// *error (which may be null); the file is then untouched.
bool replaceFile(const QString &path, QByteArrayView content, QString *error);

// Syncs the file at path and its folder (a symbolic link's target and the target's
// folder), so a file written earlier survives a power cut. File systems that cannot
// sync at all count as synced. False when the file cannot be opened or a sync fails.
bool syncFileAndFolder(const QString &path);

} // namespace korvel
