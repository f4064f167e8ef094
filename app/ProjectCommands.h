#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace korvel {

class RecoveryStore;
class TFrmMain;
struct ProjectContext;

// What happens on New, Open, Save, Save As and closing, and at start-up: the load
// and save paths, the named-project flag, the project file dialogs, recent projects
// and the recovery copy of unsaved work. The main window's toolbar handlers call in
// here; the page, its edit boxes and the unsaved-changes flag stay the window's.
//
// No path loses or silently changes the user's work: Open is all or nothing, "Ano"
// followed by a cancelled or failed save stops the command, a refused overwrite
// keeps the name, and every project name gets ".kvp".
class ProjectCommands : public QObject {
    Q_OBJECT
public:
    explicit ProjectCommands(TFrmMain &window);
    ~ProjectCommands() override;

    // How a save asked for went: written, given up in a dialog, or refused.
    enum class SaveResult { Saved, Cancelled, Failed };

    // The project file dialogs (replaceable, for tests): given the title and the
    // offered name, they return the chosen file or an empty string.
    using ProjectDialog = std::function<QString(QWidget *parent, bool save, const QString &offered)>;
    void setProjectDialog(ProjectDialog dialog) { m_projectDialog = std::move(dialog); }
    // The filter labels of the project dialogs, in their order.
    static QStringList projectFilters();

    // The window was first shown: the project named on the command line, or the
    // template; then the offer to restore work a crash left behind.
    void start(const QString &argument);
    void newProject();
    void openWithDialog();
    // Returns false when a save was attempted and failed.
    bool save();
    void saveAs();
    // Whether the window may close (the unsaved-work question answered).
    bool closeQuery();
    // The window closed.
    void closed();

    // Opens a project: all or nothing (see TFrmMain::openProject).
    bool openProject(const QString &path);
    // A recent or dropped project: the unsaved-work question first, then Open.
    void openRecent(const QString &path);
    void askAndOpen(const QString &path);

    void setRecoveryInterval(int milliseconds);
    void writeRecoveryCopy();
    RecoveryStore &recovery() { return *m_recovery; }

    const QString &loadPath() const { return m_loadPath; }
    const QString &savePath() const { return m_savePath; }
    bool isNamed() const { return m_namedProject; }

private:
    ProjectContext projectContext();
    // remember: whether the project goes into the recent list (a recovery copy does not).
    bool openProject(const QString &path, bool remember);
    bool loadProject(const QString &path);
    bool saveProject(const QString &path);
    void loadTemplate(const QString &directory);
    bool askToSaveFirst();
    SaveResult saveCommand();
    SaveResult saveThroughDialog(bool setNamed);
    QString runProjectDialog(bool save, const QString &offered);
    void projectReplaced();
    void offerRecovery();
    void rememberRecent(const QString &path);

    TFrmMain &m_window;
    ProjectDialog m_projectDialog;
    QString m_loadPath;
    QString m_savePath;
    bool m_namedProject = false;
    std::unique_ptr<RecoveryStore> m_recovery;
    QTimer *m_recoveryTimer;
};

} // namespace korvel
