#include "app/ProjectCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

#include "dialogs/Ask.h"
#include "dialogs/TFrmRecovery.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FileDialogFilters.h"
#include "project/CoverDocument.h"
#include "project/RecoveryWriter.h"
#include "settings/RecentProjects.h"

namespace korvel {

ProjectCommands::ProjectCommands(CoverDocument &document, QWidget &window)
    : QObject(&window)
    , m_document(document)
    , m_window(window)
{
}

ProjectCommands::~ProjectCommands() = default;

QString ProjectCommands::offeredName() const
{
    return m_document.path().isEmpty() ? m_lastChosen : m_document.path();
}

void ProjectCommands::start(const QString &argument)
{
    QStringList problems;
    runCommand(&m_window, [&] { problems = m_document.start(argument); });
    if (!problems.isEmpty())
        showErrorBox(&m_window, problems.join(QLatin1Char('\n')));
    if (m_document.isNamed() && QFile::exists(m_document.path()))
        RecentProjects::add(m_document.path());
    offerRecovery();
}

bool ProjectCommands::askToSaveFirst()
{
    if (!m_document.isModified())
        return true;
    switch (askOrCancel(QStringLiteral("Neuloženo !"), QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?"), 1)) {
    case AskAnswer::No:
        return true;
    case AskAnswer::Cancelled:
        // Closed without an answer: the user went back to the work.
        return false;
    case AskAnswer::Yes:
        break;
    }
    // "Ano" means the work is to be kept: a save dialog given up or a save that
    // failed ends the command, and the window keeps the work.
    return saveCommand() == SaveResult::Saved;
}

void ProjectCommands::newProject()
{
    if (!askToSaveFirst())
        return;
    m_lastChosen = offeredName(); // New leaves the name the save dialog offers
    m_document.newFromTemplate();
}

void ProjectCommands::openWithDialog()
{
    if (!askToSaveFirst())
        return;
    const QString file = runProjectDialog(false, m_document.path());
    if (!file.isEmpty())
        openProject(file);
}

bool ProjectCommands::openProject(const QString &path)
{
    QStringList problems;
    if (!runCommand(&m_window, [&] { problems = m_document.open(path); }))
        return false;
    RecentProjects::add(m_document.path());
    // Opened, without what could not be read: the user hears which picture that was.
    if (!problems.isEmpty())
        showErrorBox(&m_window, problems.join(QLatin1Char('\n')));
    return true;
}

ProjectCommands::SaveResult ProjectCommands::saveThroughDialog(bool setNamed)
{
    const QString file = runProjectDialog(true, offeredName());
    if (file.isEmpty())
        return SaveResult::Cancelled;
    // A refused overwrite leaves the name and the caption as they were: the next
    // Save must not write the file the user just declined to overwrite.
    if (QFile::exists(file) && !Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1))
        return SaveResult::Cancelled;
    if (!runCommand(&m_window, [&] { m_document.save(file, setNamed); }))
        return SaveResult::Failed;
    m_lastChosen = file;
    RecentProjects::add(m_document.path());
    return SaveResult::Saved;
}

ProjectCommands::SaveResult ProjectCommands::saveCommand()
{
    if (m_document.isNamed()) {
        if (!runCommand(&m_window, [&] { m_document.save(m_document.path(), true); }))
            return SaveResult::Failed;
        RecentProjects::add(m_document.path());
        return SaveResult::Saved;
    }
    // Save never names the project: until it is opened or saved with Save As, each
    // Save shows the dialog again and asks before overwriting.
    return saveThroughDialog(false);
}

bool ProjectCommands::save()
{
    return saveCommand() != SaveResult::Failed;
}

void ProjectCommands::saveAs()
{
    saveThroughDialog(true);
}

bool ProjectCommands::closeQuery()
{
    // Closing with unsaved work asks; a save asked for that was given up or failed,
    // or a question closed without an answer, keeps the window open with the work.
    return askToSaveFirst();
}

void ProjectCommands::closed()
{
    // Closed cleanly: the work was saved or deliberately left.
    if (RecoveryWriter *recovery = m_document.recovery())
        recovery->remove();
}

QStringList ProjectCommands::projectFilters()
{
    return {QStringLiteral("Projekt CD (*.kvp)"), QStringLiteral("Všechny soubory (*.*)")};
}

QString ProjectCommands::runProjectDialog(bool save, const QString &offered)
{
    QString file;
    if (m_projectDialog) {
        file = m_projectDialog(&m_window, save, offered);
    } else {
        QFileDialog dialog(&m_window, save ? QStringLiteral("Uložit projekt...") : QStringLiteral("Otevřít projekt..."));
        dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // Overwriting is asked about by the program's own question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        setPlatformNameFilters(dialog, projectFilters());
        dialog.setDirectory(m_document.folder());
        if (!offered.isEmpty())
            dialog.selectFile(offered);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().first();
    }
    if (file.isEmpty())
        return file;
    file = QDir(m_document.folder()).absoluteFilePath(file);
    // Every project is saved as "*.kvp", also "Deska 1.5": the dialog's default suffix
    // would take ".5" for an extension, the side files would then be named after
    // "Deska" and shared with "Deska 2.5", and the Open dialog would not list it.
    const QString suffix = QStringLiteral(".kvp");
    if (!file.endsWith(suffix, Qt::CaseInsensitive)) {
        if (save || (!QFile::exists(file) && QFile::exists(file + suffix)))
            file += suffix;
    }
    return file;
}

void ProjectCommands::offerRecovery()
{
    RecoveryWriter *recovery = m_document.recovery();
    if (!recovery)
        return;
    RecoveryStore &store = recovery->store();
    const QList<RecoveryStore::Abandoned> abandoned = store.findAbandoned();
    if (abandoned.size() > 1) {
        // Many copies are one window, not a question after another.
        TFrmRecovery list(store, abandoned, &m_window);
        if (list.exec() != QDialog::Accepted || !list.chosen())
            return;
        restoreCopy(*list.chosen());
        return;
    }
    for (const RecoveryStore::Abandoned &copy : abandoned) {
        const QString when = QLocale(QLocale::Czech).toString(copy.written.toLocalTime(), QStringLiteral("d. M. yyyy H:mm"));
        const QString what = copy.projectPath.isEmpty()
                                 ? QStringLiteral("Obnovit neuložené změny nového projektu (%1)?").arg(when)
                                 : QStringLiteral("Obnovit neuložené změny projektu %1 (%2)?")
                                       .arg(QFileInfo(copy.projectPath).fileName(), when);
        const AskAnswer answer = askOrCancel(QStringLiteral("Obnova"), what, 1);
        if (answer == AskAnswer::Cancelled)
            continue; // not answered: the copy stays for the next start
        if (answer == AskAnswer::No) {
            store.discard(copy);
            continue;
        }
        restoreCopy(copy);
    }
}

void ProjectCommands::restoreCopy(const RecoveryStore::Abandoned &copy)
{
    RecoveryWriter *recovery = m_document.recovery();
    // Work restored a moment ago is the window's unsaved work now: it is asked about
    // before another copy takes its place.
    if (!askToSaveFirst())
        return;
    if (!runCommand(&m_window, [&] { m_document.restore(copy.project(), copy.projectPath, copy.named, copy.kept); }))
        return; // the copy stays for another try; the error said why
    // The abandoned copy goes only once this run's own copy of the work exists.
    QString error;
    if (recovery->writeNow(&error))
        recovery->store().discard(copy);
    else
        emit notice(QStringLiteral("Záložní kopii obnovené práce nelze zapsat: %1").arg(error));
}

void ProjectCommands::addRecentMenu(QMenu &menu)
{
    QMenu *recent = menu.addMenu(QStringLiteral("Nedávné projekty"));
    recent->setObjectName(QStringLiteral("RecentMenu"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList paths = RecentProjects::list();
        if (paths.isEmpty())
            recent->addAction(QStringLiteral("(žádné)"))->setEnabled(false);
        for (const QString &path : paths)
            connect(recent->addAction(QDir::toNativeSeparators(path)), &QAction::triggered, this,
                    [this, path] { openRecent(path); });
    });
}

void ProjectCommands::openRecent(const QString &path)
{
    if (!QFile::exists(path)) {
        RecentProjects::remove(path);
        showErrorBox(&m_window, QStringLiteral("Projekt „%1“ už neexistuje a byl odebrán ze seznamu nedávných projektů.")
                                    .arg(QDir::toNativeSeparators(path)));
        return;
    }
    askAndOpen(path);
}

void ProjectCommands::askAndOpen(const QString &path)
{
    if (askToSaveFirst())
        openProject(path);
}

} // namespace korvel
