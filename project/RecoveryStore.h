#pragma once
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

namespace korvel {

struct ProjectContext;

// Copies of unsaved work, kept per user so that a designer that was killed or lost
// its power does not take the work with it. Each running designer has a folder of
// its own ("run-<pid>" in the state folder), locked while it runs; a folder whose
// lock nobody holds any more was left by a designer that did not end cleanly.
//
// A copy is a project saved in the usual format (INI text and picture side files)
// plus a note of the project's own file name, replaced as a whole: a crash while a
// copy is written leaves the previous copy.
class RecoveryStore {
public:
    // $XDG_STATE_HOME/korvel, or ~/.local/state/korvel.
    static QString defaultFolder();

    explicit RecoveryStore(QString folder = defaultFolder());
    ~RecoveryStore();

    // Writes this run's copy of the page the context holds. projectPath is the file
    // the project is saved to (empty while it has none), named whether Save writes
    // there without asking. Returns false (with *error) when it could not be written;
    // the previous copy then stays.
    bool write(ProjectContext &context, const QString &projectPath, bool named, QString *error);
    // Removes this run's copy: the work was saved or deliberately left.
    void remove();
    // Whether this run has a copy on disk.
    bool hasCopy() const;

    // A copy left by a designer that did not end cleanly, the newest one.
    struct Abandoned {
        QString folder;      // holds recovery.kvp and its side files
        QString projectPath; // the project's own file, or empty
        bool named = false;
        QDateTime written;
    };
    std::optional<Abandoned> findAbandoned() const;
    // Deletes every copy left by designers that are gone.
    void discardAbandoned() const;

    static constexpr const char *kProjectName = "recovery.kvp";

private:
    QString runFolder() const;
    bool lock();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace korvel
