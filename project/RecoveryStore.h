#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QString>
#include <array>
#include <memory>

class QLockFile;

namespace korvel {

struct DocumentSnapshot;

// Copies of unsaved work, kept per user so that a designer that was killed or lost
// its power does not take the work with it. Each running designer has a folder of
// its own in the state folder, named by an id no other run can get ("run-<uuid>";
// process ids come round again, in containers and after every reboot), locked while
// it runs; a folder whose lock nobody holds any more was left by a designer that did
// not end cleanly.
//
// A copy is a project in the usual format (INI text and picture side files) with a
// note of the project's own file, in a folder of its own ("copy-<n>") that appears
// whole by one rename once everything in it is on disk; the previous copy is removed
// after that. So a crash at any moment leaves the previous copy or the new one. A
// picture that did not change since the previous copy is linked, not written again.
// The state folder is the user's alone (0700), every copy file 0600.
//
// Not thread-safe: one thread at a time (the recovery writer keeps its calls in order).
class RecoveryStore {
public:
    // $XDG_STATE_HOME/korvel, or ~/.local/state/korvel.
    static QString defaultFolder();

    explicit RecoveryStore(QString folder = defaultFolder());
    ~RecoveryStore();

    const QString &folder() const { return m_folder; }
    // This run's own folder.
    QString runFolder() const;

    // Writes this run's copy of the cover (its pictures may be stored ones).
    // projectPath is the project's file (empty while it has none), named whether Save
    // writes there without asking. Returns false (with *error) when it could not be
    // written; the previous copy then stays.
    bool write(const DocumentSnapshot &snapshot, const QString &projectPath, bool named, QString *error);
    // Removes this run's copy: the work was saved or deliberately left.
    void remove();
    // Whether this run has a copy on disk.
    bool hasCopy() const;

    // A copy left by a designer that did not end cleanly.
    struct Abandoned {
        QString run;         // the run's folder, removed with the copy
        QString folder;      // holds recovery.kvp and its side files
        QString projectPath; // the project's own file, or empty
        bool named = false;
        QDateTime written;
        QStringList kept;    // DocumentSnapshot::keptSideFiles of the copied cover
        QString project() const { return folder + QStringLiteral("/recovery.kvp"); }
    };
    // Every abandoned copy, the oldest first. What ended runs left half-written (a copy
    // being written when the designer was killed) is removed on the way.
    QList<Abandoned> findAbandoned() const;
    // Deletes one abandoned copy (its run's folder and lock).
    void discard(const Abandoned &copy) const;

    static constexpr const char *kProjectName = "recovery.kvp";

private:
    bool lock();
    QString copyFolder(quint64 n) const;

    QString m_folder;
    QString m_run;
    std::unique_ptr<QLockFile> m_lock;
    quint64 m_copies = 0;
    // The pictures of the last copy, to link rather than rewrite unchanged ones.
    std::array<QByteArray, 4> m_written; // by side file: .im1 ... .im4
};

} // namespace korvel
