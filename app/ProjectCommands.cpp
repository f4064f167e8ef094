#include "app/ProjectCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "app/ItemEditors.h"
#include "app/TFrmMain.h"
#include "dialogs/Ask.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FileDialogFilters.h"
#include "project/CoverPage.h"
#include "project/PageHistory.h"
#include "project/picture/PictureError.h"
#include "project/ProjectError.h"
#include "project/ProjectFile.h"
#include "project/RecoveryStore.h"
#include "project/SpinePictureState.h"
#include "settings/RecentProjects.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"

namespace korvel {

namespace {
const QString kUnsavedCaption = QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen");
} // namespace

namespace {

// Everything an open changes, so that a failed one can put it all back.
struct WindowSnapshot {
    PageState page;
    bool pictureSwitch = false;
    bool stretch = true;
    QString imgLR, imgLRName;
    QString caption;
    QString iniFile;
    QStringList boxes;
    bool unsaved = false;
    QString workingDirectory;
};

QString rememberedValue(TKivRegEntry &reg, const QString &name)
{
    try {
        return reg.ReadString(name);
    } catch (const std::exception &) {
        return QString();
    }
}

} // namespace

ProjectCommands::ProjectCommands(TFrmMain &window)
    : QObject(&window)
    , m_window(window)
    , m_recovery(std::make_unique<RecoveryStore>())
    , m_recoveryTimer(new QTimer(this))
{
    m_recoveryTimer->setObjectName(QStringLiteral("RecoveryTimer"));
    m_recoveryTimer->setInterval(60 * 1000);
    connect(m_recoveryTimer, &QTimer::timeout, this, &ProjectCommands::writeRecoveryCopy);
    m_recoveryTimer->start();
}

ProjectCommands::~ProjectCommands() = default;

void ProjectCommands::closed()
{
    // Closed cleanly: the work was saved or deliberately left.
    m_recovery->remove();
}

ProjectContext ProjectCommands::projectContext()
{
    return ProjectContext{*m_window.m_page, *m_window.m_iniFile, *m_window.m_reg, *m_window.m_spineState,
                          [this](const QString &caption) { m_window.setWindowTitle(caption); }};
}

bool ProjectCommands::loadProject(const QString &path)
{
    ProjectContext context = projectContext();
    try {
        LoadProject(context, path);
        return true;
    } catch (const ProjectError &e) {
        showErrorBox(&m_window, e.message());
    } catch (const SettingsError &e) {
        showErrorBox(&m_window, QStringLiteral("Projekt „%1“ nelze otevřít: %2").arg(QFileInfo(path).fileName(), e.message()));
    } catch (const PictureError &e) {
        showErrorBox(&m_window, QStringLiteral("Projekt „%1“ nelze otevřít: %2").arg(QFileInfo(path).fileName(), e.message()));
    }
    return false;
}

bool ProjectCommands::saveProject(const QString &path)
{
    const QString caption = m_window.windowTitle();
    ProjectContext context = projectContext();
    if (runCommand(&m_window, [&] { SaveProject(context, path); }))
        return true;
    // The caption names the file the window holds: not one that was not written.
    m_window.setWindowTitle(caption);
    return false;
}

void ProjectCommands::loadTemplate(const QString &directory)
{
    m_loadPath = QDir(directory).filePath(QStringLiteral("default.kvd"));
    if (QFile::exists(m_loadPath) && loadProject(m_loadPath))
        return;
    // Without a template of the user's own (or with one that is no project) the
    // program's own template, the page's creation defaults, takes its place.
    QTemporaryDir dir;
    const QString builtIn = dir.filePath(QStringLiteral("korvel-template.kvd"));
    if (dir.isValid() && QFile::copy(QStringLiteral(":/default.kvd"), builtIn)) {
        QFile::setPermissions(builtIn, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        loadProject(builtIn);
    }
}

void ProjectCommands::start(const QString &argument)
{
    m_window.m_page->item(QStringLiteral("BTo")).clearLines();
    m_window.m_page->item(QStringLiteral("BTit")).clearLines();
    const QString startDirectory = QDir::currentPath();
    if (!argument.isEmpty() && QFile::exists(argument) && openProject(argument)) {
        offerRecovery();
        return;
    }
    loadTemplate(startDirectory);
    m_window.emptyEditBoxes();
    m_loadPath.clear();
    if (!argument.isEmpty() && !QFile::exists(argument)) {
        // A project that does not exist yet: the template, under that name, so that
        // the first Save creates it.
        m_loadPath = m_savePath = argument;
        m_window.setWindowTitle(projectCaption(argument));
        m_namedProject = true;
    } else {
        m_window.setWindowTitle(kUnsavedCaption);
        m_namedProject = false;
    }
    m_window.setUnsaved(false);
    projectReplaced();
    offerRecovery();
}

bool ProjectCommands::askToSaveFirst()
{
    if (!m_window.isUnsaved())
        return true;
    if (!Ask(QStringLiteral("Neuloženo !"), QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?"), 1))
        return true;
    // "Ano" means the work is to be kept: a save dialog given up or a save that
    // failed ends the command, and the window keeps the work.
    return saveCommand() == SaveResult::Saved;
}

void ProjectCommands::newProject()
{
    if (!askToSaveFirst())
        return;
    m_window.m_page->item(QStringLiteral("BTo")).clearLines();
    m_window.m_page->item(QStringLiteral("BTit")).clearLines();
    m_window.emptyEditBoxes();
    // A new cover starts from the template alone: no picture of the previous one.
    m_window.m_page->MainImg().clear();
    m_window.m_page->BckImg().clear();
    m_window.m_page->resetHeights();
    loadTemplate(QDir::currentPath());
    m_window.setUnsaved(false);
    m_window.setWindowTitle(kUnsavedCaption);
    m_namedProject = false;
    m_loadPath.clear();
    m_window.refreshToolWindows();
    projectReplaced();
}

void ProjectCommands::openWithDialog()
{
    if (!askToSaveFirst())
        return;
    const QString file = runProjectDialog(false, m_loadPath);
    if (file.isEmpty())
        return;
    // As a recent project would be, without asking about unsaved work again.
    const QString previousDirectory = QDir::currentPath();
    QDir::setCurrent(QFileInfo(file).absolutePath());
    if (!openProject(file))
        QDir::setCurrent(previousDirectory);
}

bool ProjectCommands::openProject(const QString &path)
{
    return openProject(path, true);
}

bool ProjectCommands::openProject(const QString &path, bool remember)
{
    // Refused before anything changes: a file that is no project at all.
    try {
        requireProjectFile(path);
    } catch (const ProjectError &e) {
        showErrorBox(&m_window, e.message());
        return false;
    }

    WindowSnapshot before;
    before.page = m_window.m_page->state();
    before.pictureSwitch = m_window.m_spineState->pictureSwitch();
    before.stretch = m_window.m_spineState->stretchChoice();
    before.imgLR = rememberedValue(*m_window.m_reg, QStringLiteral("ImgLR"));
    before.imgLRName = rememberedValue(*m_window.m_reg, QStringLiteral("ImgLRName"));
    before.caption = m_window.windowTitle();
    before.iniFile = m_window.m_iniFile->Filename();
    for (QLineEdit *box : m_window.m_editors->boxes())
        before.boxes << box->text();
    before.unsaved = m_window.isUnsaved();
    const QString previousLoadPath = m_loadPath;

    m_loadPath = path;
    m_window.emptyEditBoxes();
    m_window.m_page->item(QStringLiteral("BTo")).clearLines();
    m_window.m_page->item(QStringLiteral("BTit")).clearLines();
    // The project's pictures are those of its side files: none when it has none.
    m_window.m_page->MainImg().clear();
    m_window.m_page->BckImg().clear();
    m_window.m_page->resetHeights();
    if (!loadProject(m_loadPath)) {
        // Part-way: everything goes back as it was.
        m_loadPath = previousLoadPath;
        m_window.m_page->setState(before.page);
        m_window.m_spineState->restore(before.pictureSwitch, before.stretch);
        try {
            m_window.m_reg->WriteString(QStringLiteral("ImgLR"), before.imgLR);
            m_window.m_reg->WriteString(QStringLiteral("ImgLRName"), before.imgLRName);
        } catch (const std::exception &) {
            // The store refused already; there is nothing more to put back.
        }
        m_window.m_iniFile->SetFilename(before.iniFile);
        m_window.setWindowTitle(before.caption);
        for (int i = 0; i < m_window.m_editors->boxes().size(); ++i) {
            const QSignalBlocker quiet(m_window.m_editors->boxes()[i]);
            m_window.m_editors->boxes()[i]->setText(before.boxes.value(i));
        }
        m_window.setUnsaved(before.unsaved);
        m_window.refreshToolWindows();
        return false;
    }
    m_savePath = m_loadPath;
    m_window.fillEditBoxes();
    m_namedProject = true;
    m_window.setUnsaved(false);
    m_window.refreshToolWindows();
    if (remember)
        rememberRecent(path);
    projectReplaced();
    return true;
}

ProjectCommands::SaveResult ProjectCommands::saveThroughDialog(bool setNamed)
{
    const QString file = runProjectDialog(true, m_savePath);
    if (file.isEmpty())
        return SaveResult::Cancelled;
    // A refused overwrite leaves the name, the caption and the folder as they were:
    // the next Save must not write the file the user just declined to overwrite.
    if (QFile::exists(file)
        && !Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1))
        return SaveResult::Cancelled;
    const QString previousDirectory = QDir::currentPath();
    QDir::setCurrent(QFileInfo(file).absolutePath());
    if (!saveProject(file)) {
        QDir::setCurrent(previousDirectory);
        return SaveResult::Failed;
    }
    m_savePath = file;
    m_window.setUnsaved(false);
    if (setNamed)
        m_namedProject = true;
    rememberRecent(file);
    m_recovery->remove();
    return SaveResult::Saved;
}

ProjectCommands::SaveResult ProjectCommands::saveCommand()
{
    if (m_namedProject) {
        if (!saveProject(m_savePath))
            return SaveResult::Failed;
        m_window.setUnsaved(false);
        rememberRecent(m_savePath);
        m_recovery->remove();
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
    // Closing with unsaved work asks; a save asked for that was given up or failed
    // keeps the window open with the work in it.
    return askToSaveFirst();
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
        if (!offered.isEmpty())
            dialog.selectFile(offered);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().first();
    }
    if (file.isEmpty())
        return file;
    file = QFileInfo(file).absoluteFilePath();
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

void ProjectCommands::projectReplaced()
{
    // A new or opened project starts a new history, and nothing is unsaved.
    m_window.m_history->reset();
    m_recovery->remove();
    m_window.pageChanged();
}

void ProjectCommands::setRecoveryInterval(int milliseconds)
{
    m_recoveryTimer->start(milliseconds);
}

void ProjectCommands::writeRecoveryCopy()
{
    if (!m_window.isUnsaved())
        return;
    ProjectContext context = projectContext();
    QString error;
    if (!m_recovery->write(context, m_savePath, m_namedProject, &error))
        m_window.showNotice(QStringLiteral("Záložní kopii neuložené práce nelze zapsat: %1").arg(error));
}

void ProjectCommands::offerRecovery()
{
    const std::optional<RecoveryStore::Abandoned> found = m_recovery->findAbandoned();
    if (!found)
        return;
    if (!Ask(QStringLiteral("Obnova"), QStringLiteral("Obnovit neuložené změny?"), 1)) {
        m_recovery->discardAbandoned();
        return;
    }
    const QString previousDirectory = QDir::currentPath();
    QDir::setCurrent(found->folder);
    const QString copy = QDir(found->folder).filePath(QString::fromLatin1(RecoveryStore::kProjectName));
    const bool restored = openProject(copy, false);
    QDir::setCurrent(previousDirectory);
    if (!restored)
        return; // the copy stays for another try; the error said why
    // The side files of a named project are written beside it.
    if (found->named && !found->projectPath.isEmpty()) {
        m_savePath = m_loadPath = found->projectPath;
        m_namedProject = true;
        m_window.setWindowTitle(projectCaption(found->projectPath));
        QDir::setCurrent(QFileInfo(found->projectPath).absolutePath());
    } else {
        m_savePath = found->projectPath;
        m_loadPath.clear();
        m_namedProject = false;
        m_window.setWindowTitle(kUnsavedCaption);
    }
    m_recovery->discardAbandoned();
    m_window.setUnsaved(true); // restored work is not saved anywhere yet
}

void ProjectCommands::rememberRecent(const QString &path)
{
    RecentProjects::add(path);
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
    if (!askToSaveFirst())
        return;
    const QString previousDirectory = QDir::currentPath();
    // The side files are addressed relative to the working directory: a project's
    // folder becomes the current one, unless it cannot be opened.
    QDir::setCurrent(QFileInfo(path).absolutePath());
    if (!openProject(path))
        QDir::setCurrent(previousDirectory);
}

} // namespace korvel
