#pragma once
#include <QObject>
#include <QString>
#include <functional>

#include "project/RecoveryStore.h"

class QMenu;
class QWidget;

namespace korvel {

class CoverDocument;

// What happens on New, Open, Save, Save As and closing, and at start-up: the
// questions and the project file dialogs around the document's own operations,
// recent projects, and the offer to restore work a crash left behind.
//
// No path loses or silently changes the user's work: Open is all or nothing, "Ano"
// followed by a cancelled or failed save stops the command, a question closed
// without an answer stops it too, a refused overwrite keeps the name, and every
// project name gets ".kvp".
class ProjectCommands : public QObject {
    Q_OBJECT
public:
    ProjectCommands(CoverDocument &document, QWidget &window);
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

    // Opens a project: all or nothing; an error names the file. Returns whether it opened.
    bool openProject(const QString &path);
    // A recent or dropped project: the unsaved-work question first, then Open.
    void openRecent(const QString &path);
    void askAndOpen(const QString &path);

    // "Nedávné projekty": the recent projects as a submenu of menu.
    void addRecentMenu(QMenu &menu);

    // The name the save dialog offers: the project's file, or the last one chosen.
    QString offeredName() const;

signals:
    void notice(const QString &text);

private:
    bool askToSaveFirst();
    SaveResult saveCommand();
    SaveResult saveThroughDialog(bool setNamed);
    QString runProjectDialog(bool save, const QString &offered);
    void offerRecovery();
    void restoreCopy(const RecoveryStore::Abandoned &copy);

    CoverDocument &m_document;
    QWidget &m_window;
    ProjectDialog m_projectDialog;
    QString m_lastChosen;
};

} // namespace korvel
