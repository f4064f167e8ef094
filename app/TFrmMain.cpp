#include "app/TFrmMain.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QValidator>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QUndoStack>
#include <QWheelEvent>
#include <QToolBar>
#include <QPainter>
#include <QToolButton>

#include "controls/Cp1250Validator.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FileDialogFilters.h"
#include "dialogs/FontDialog.h"
#include "app/ItemControls.h"
#include "dialogs/PictureOpenDialog.h"
#include "app/PrintSetup.h"
#include "dialogs/Ask.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "dialogs/TFrmCalibration.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmHelp.h"
#include "app/PageView.h"
#include "controls/ToolbarIcons.h"
#include "project/CoverPage.h"
#include "project/ProjectFile.h"
#include "controls/UndoKeyFilter.h"
#include "project/PageHistory.h"
#include "project/PictureError.h"
#include "project/ProjectError.h"
#include "project/RecoveryStore.h"
#include "settings/RecentProjects.h"
#include "project/ProjectSession.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "project/SpinePictureState.h"
#include "dialogs/TFrmNzvCD.h"
#include "dialogs/TFrmInfo.h"

// The program's resources live in a static library, so they are registered by hand.
static void initKorvelResources()
{
    Q_INIT_RESOURCE(korvel);
}

namespace korvel {

namespace {

struct ToolbarEntry {
    const char *name;
    const char *caption; // UTF-8; also the hint, with the shortcut
    bool separatorBefore;
    const char *shortcut; // portable text, or nullptr
    const char *alternative; // a second key for the same command, or nullptr
};

// The toolbar in order, with the gaps that set its groups apart.
constexpr ToolbarEntry kToolbar[] = {
    {"FNew", "Nový", false, "Ctrl+N", nullptr},
    {"FOpen", "Otevřít", false, "Ctrl+O", nullptr},
    {"Fsave", "Uložit", false, "Ctrl+S", nullptr},
    {"SaveAs", "Uložit Jako", false, "Ctrl+Shift+S", nullptr},
    {"ImgMain", "Obrázek přední strany", true, nullptr, nullptr},
    {"ImgBack", "Obrázek zadní strany", false, nullptr, nullptr},
    {"ClrTxt", "Vymazat texty", true, nullptr, nullptr},
    {"ZoomIn", "Zvětšit", true, "Ctrl++", "Ctrl+="},
    {"ZoomOut", "Zmenšit", false, "Ctrl+-", nullptr},
    {"ZoomDef", "Standartní velikost", false, "Ctrl+0", nullptr},
    {"View", "Náhled", true, "Ctrl+Shift+P", nullptr},
    {"Tisk", "Tisk", false, "Ctrl+P", nullptr},
    {"Info", "Informace", true, nullptr, nullptr},
};

// Every item editing control, in the order they are shown and hidden.
QStringList editorControlNames()
{
    QStringList names{QStringLiteral("MEht"), QStringLiteral("MEhn"), QStringLiteral("MEN"),
                      QStringLiteral("MEdn"), QStringLiteral("MEit"), QStringLiteral("MEdit"),
                      QStringLiteral("MEdt"), QStringLiteral("BEht"), QStringLiteral("BEno"),
                      QStringLiteral("BEo"),  QStringLiteral("BEit"), QStringLiteral("BEdt")};
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("RxSpeedButton%1").arg(i);
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("Panel%1").arg(i);
    names << QStringLiteral("LRBtn");
    return names;
}

const QString kPlacementKey = QStringLiteral("Placement/TFrmMain");

// The toolbar's buttons sit 3 pixels from its edge and side by side, whatever the
// desktop's style would do; the groups are set apart by 8-pixel gaps.
class ToolbarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        switch (metric) {
        case PM_ToolBarFrameWidth:
            return 3;
        case PM_ToolBarItemMargin:
        case PM_ToolBarItemSpacing:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// The toolbar's buttons stand on a background picture: a soft light band, drawn
// here rather than shipped as a file, tiled along the bar. The platform style
// would paint its own panel in the palette's plain colour instead.
class PictureToolBar : public QToolBar {
public:
    explicit PictureToolBar(QWidget *parent)
        : QToolBar(parent)
        , m_texture(64, 29)
    {
        QPainter p(&m_texture);
        QLinearGradient band(0, 0, 0, 29);
        band.setColorAt(0, QColor(252, 252, 255));
        band.setColorAt(0.5, QColor(228, 232, 242));
        band.setColorAt(1, QColor(206, 212, 228));
        p.fillRect(m_texture.rect(), band);
        p.setPen(QColor(190, 196, 214));
        p.drawLine(0, 28, 63, 28);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawTiledPixmap(rect(), m_texture);
    }

private:
    QPixmap m_texture;
};

} // namespace

TFrmMain::TFrmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_page(new CoverPage(this))
    , m_iniFile(new TKivINIEntry(this))
    , m_reg(new TKivRegEntry(this))
    , m_spineState(new SpinePictureState(*m_page, this))
    , m_history(new PageHistory(*m_page, *m_spineState, this))
    , m_recovery(std::make_unique<RecoveryStore>())
    , m_recoveryTimer(new QTimer(this))
    , m_pageChangedTimer(new QTimer(this))
{
    initKorvelResources();
    m_iniFile->setObjectName(QStringLiteral("INIFile"));
    configureProjectEntry(*m_iniFile);
    m_reg->setObjectName(QStringLiteral("Reg"));
    configureSpinePictureEntry(*m_reg);
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Lurdan CD 1.0 - druhé vydání"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PageScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Window);
    m_scroll->setContextMenuPolicy(Qt::NoContextMenu);
    m_scroll->horizontalScrollBar()->setTracking(true);
    m_scroll->verticalScrollBar()->setTracking(true);
    // The page and, beside it, the editing controls that scroll with it; the canvas
    // reaches past the page where the alignment panels do.
    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("PageCanvas"));
    m_canvas->setAutoFillBackground(true);
    m_canvas->setPalette(pal);
    m_canvas->setContextMenuPolicy(Qt::NoContextMenu);
    m_view = new PageView(*m_page, m_canvas);
    m_scroll->setWidget(m_canvas);
    connect(m_page, &CoverPage::zoomChanged, this, &TFrmMain::resizeCanvas);
    setCentralWidget(m_scroll);

    buildToolbar();
    buildEditActions();
    buildPopupMenu();
    buildItemControls();
    buildStatusBar();
    resizeCanvas();
    restorePlacement();

    connect(m_history, &PageHistory::applied, this, &TFrmMain::historyApplied);
    // The boxes' hints, the alignment buttons and the warnings follow the page once
    // per burst of changes, not once per line a project load appends.
    m_pageChangedTimer->setSingleShot(true);
    m_pageChangedTimer->setInterval(0);
    connect(m_pageChangedTimer, &QTimer::timeout, this, &TFrmMain::pageChanged);
    connect(m_page, &CoverPage::changed, m_pageChangedTimer, qOverload<>(&QTimer::start));
    m_recoveryTimer->setObjectName(QStringLiteral("RecoveryTimer"));
    m_recoveryTimer->setInterval(60 * 1000);
    connect(m_recoveryTimer, &QTimer::timeout, this, &TFrmMain::writeRecoveryCopy);
    m_recoveryTimer->start();
    setAcceptDrops(true);
    m_scroll->viewport()->installEventFilter(this);
    pageChanged();
}

TFrmMain::~TFrmMain()
{
    FormDestroy();
}

void TFrmMain::FormDestroy()
{
    // Every run starts without a remembered spine picture.
    try {
        writeRememberedSpinePicture(*m_reg, QString::fromLatin1(SpinePictureState::kNone));
    } catch (const std::exception &) {
        // The window is going away; there is nobody left to tell.
    }
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

namespace {
const QString kUnsavedCaption = QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen");
} // namespace

ProjectContext TFrmMain::projectContext()
{
    return ProjectContext{*m_page, *m_iniFile, *m_reg, *m_spineState,
                          [this](const QString &caption) { setWindowTitle(caption); }};
}

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

bool TFrmMain::loadProject(const QString &path)
{
    ProjectContext context = projectContext();
    try {
        LoadProject(context, path);
        return true;
    } catch (const ProjectError &e) {
        showErrorBox(this, e.message());
    } catch (const SettingsError &e) {
        showErrorBox(this, QStringLiteral("Projekt „%1“ nelze otevřít: %2").arg(QFileInfo(path).fileName(), e.message()));
    } catch (const PictureError &e) {
        showErrorBox(this, QStringLiteral("Projekt „%1“ nelze otevřít: %2").arg(QFileInfo(path).fileName(), e.message()));
    }
    return false;
}

bool TFrmMain::saveProject(const QString &path)
{
    const QString caption = windowTitle();
    ProjectContext context = projectContext();
    if (runCommand(this, [&] { SaveProject(context, path); }))
        return true;
    // The caption names the file the window holds: not one that was not written.
    setWindowTitle(caption);
    return false;
}

void TFrmMain::loadTemplate(const QString &directory)
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

void TFrmMain::setUnsaved(bool unsaved)
{
    action(QStringLiteral("Fsave"))->setEnabled(unsaved);
}

void TFrmMain::FormShow()
{
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    const QString startDirectory = QDir::currentPath();
    if (!m_argument.isEmpty() && QFile::exists(m_argument) && openProject(m_argument)) {
        offerRecovery();
        return;
    }
    loadTemplate(startDirectory);
    emptyEditBoxes();
    m_loadPath.clear();
    if (!m_argument.isEmpty() && !QFile::exists(m_argument)) {
        // A project that does not exist yet: the template, under that name, so that
        // the first Save creates it.
        m_loadPath = m_savePath = m_argument;
        setWindowTitle(projectCaption(m_argument));
        m_namedProject = true;
    } else {
        setWindowTitle(kUnsavedCaption);
        m_namedProject = false;
    }
    setUnsaved(false);
    projectReplaced();
    offerRecovery();
}

bool TFrmMain::askToSaveFirst()
{
    if (!action(QStringLiteral("Fsave"))->isEnabled())
        return true;
    if (!Ask(QStringLiteral("Neuloženo !"), QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?"), 1))
        return true;
    // "Ano" means the work is to be kept: a save dialog given up or a save that
    // failed ends the command, and the window keeps the work.
    return saveCommand() == SaveResult::Saved;
}

void TFrmMain::FNewClick()
{
    if (!askToSaveFirst())
        return;
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    emptyEditBoxes();
    // A new cover starts from the template alone: no picture of the previous one.
    m_page->MainImg().clear();
    m_page->BckImg().clear();
    m_page->resetHeights();
    loadTemplate(QDir::currentPath());
    setUnsaved(false);
    setWindowTitle(kUnsavedCaption);
    m_namedProject = false;
    m_loadPath.clear();
    refreshToolWindows();
    projectReplaced();
}

void TFrmMain::FOpenClick()
{
    if (!askToSaveFirst())
        return;
    const QString file = runProjectDialog(false, m_loadPath);
    if (file.isEmpty())
        return;
    const QString previousDirectory = QDir::currentPath();
    // The side files are addressed relative to the working directory: confirming a
    // project makes its folder the current one, unless it cannot be opened.
    QDir::setCurrent(QFileInfo(file).absolutePath());
    if (!openProject(file))
        QDir::setCurrent(previousDirectory);
}

bool TFrmMain::openProject(const QString &path)
{
    // Refused before anything changes: a file that is no project at all.
    try {
        requireProjectFile(path);
    } catch (const ProjectError &e) {
        showErrorBox(this, e.message());
        return false;
    }

    WindowSnapshot before;
    before.page = m_page->state();
    before.pictureSwitch = m_spineState->pictureSwitch();
    before.stretch = m_spineState->stretchChoice();
    before.imgLR = rememberedValue(*m_reg, QStringLiteral("ImgLR"));
    before.imgLRName = rememberedValue(*m_reg, QStringLiteral("ImgLRName"));
    before.caption = windowTitle();
    before.iniFile = m_iniFile->Filename();
    for (QLineEdit *box : m_editBoxes)
        before.boxes << box->text();
    before.unsaved = action(QStringLiteral("Fsave"))->isEnabled();
    const QString previousLoadPath = m_loadPath;

    m_loadPath = path;
    emptyEditBoxes();
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    // The project's pictures are those of its side files: none when it has none.
    m_page->MainImg().clear();
    m_page->BckImg().clear();
    m_page->resetHeights();
    if (!loadProject(m_loadPath)) {
        // Part-way: everything goes back as it was.
        m_loadPath = previousLoadPath;
        m_page->setState(before.page);
        m_spineState->restore(before.pictureSwitch, before.stretch);
        try {
            m_reg->WriteString(QStringLiteral("ImgLR"), before.imgLR);
            m_reg->WriteString(QStringLiteral("ImgLRName"), before.imgLRName);
        } catch (const std::exception &) {
            // The store refused already; there is nothing more to put back.
        }
        m_iniFile->SetFilename(before.iniFile);
        setWindowTitle(before.caption);
        for (int i = 0; i < m_editBoxes.size(); ++i) {
            const QSignalBlocker quiet(m_editBoxes[i]);
            m_editBoxes[i]->setText(before.boxes.value(i));
        }
        setUnsaved(before.unsaved);
        refreshToolWindows();
        return false;
    }
    m_savePath = m_loadPath;
    fillEditBoxes();
    m_namedProject = true;
    setUnsaved(false);
    refreshToolWindows();
    rememberRecent(path);
    projectReplaced();
    return true;
}

TFrmMain::SaveResult TFrmMain::saveThroughDialog(bool setNamed)
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
    setUnsaved(false);
    if (setNamed)
        m_namedProject = true;
    rememberRecent(file);
    m_recovery->remove();
    return SaveResult::Saved;
}

TFrmMain::SaveResult TFrmMain::saveCommand()
{
    if (m_namedProject) {
        if (!saveProject(m_savePath))
            return SaveResult::Failed;
        setUnsaved(false);
        rememberRecent(m_savePath);
        m_recovery->remove();
        return SaveResult::Saved;
    }
    // Save never names the project: until it is opened or saved with Save As, each
    // Save shows the dialog again and asks before overwriting.
    return saveThroughDialog(false);
}

bool TFrmMain::FsaveClick()
{
    return saveCommand() != SaveResult::Failed;
}

void TFrmMain::SaveAsClick()
{
    saveThroughDialog(true);
}

bool TFrmMain::FormCloseQuery()
{
    // Closing with unsaved work asks; a save asked for that was given up or failed
    // keeps the window open with the work in it.
    return askToSaveFirst();
}

QStringList TFrmMain::projectFilters()
{
    return {QStringLiteral("Projekt CD (*.kvp)"), QStringLiteral("Všechny soubory (*.*)")};
}

QString TFrmMain::runProjectDialog(bool save, const QString &offered)
{
    QString file;
    if (m_projectDialog) {
        file = m_projectDialog(this, save, offered);
    } else {
        QFileDialog dialog(this, save ? QStringLiteral("Uložit projekt...") : QStringLiteral("Otevřít projekt..."));
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

void TFrmMain::refreshToolWindows()
{
    for (TFrmEdit *editor : findChildren<TFrmEdit *>())
        editor->refreshFromPage();
    for (TFrmNzvCD *dialog : findChildren<TFrmNzvCD *>())
        dialog->refreshFromPage();
}

void TFrmMain::showNotice(const QString &text)
{
    statusBar()->showMessage(text, 10000);
}

void TFrmMain::buildEditActions()
{
    // Undo and redo work wherever the user is in the program: the main window, the
    // multi-line editor or the spine window.
    auto *undo = new QAction(QStringLiteral("Zpět"), this);
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcuts(QKeySequence::Undo);
    auto *redo = new QAction(QStringLiteral("Znovu"), this);
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    for (QAction *a : {undo, redo}) {
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setEnabled(false);
        addAction(a);
    }
    QUndoStack *stack = m_history->stack();
    connect(undo, &QAction::triggered, this, [this, stack] {
        m_history->recordNow(); // what was just typed is the step to undo
        stack->undo();
    });
    connect(redo, &QAction::triggered, this, [this, stack] {
        m_history->recordNow();
        stack->redo();
    });
    connect(stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);

    auto *help = new QAction(QStringLiteral("Nápověda"), this);
    help->setObjectName(QStringLiteral("Help"));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::ApplicationShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, [this] { TFrmHelp::showHelp(this); });
}

void TFrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_warningsLabel = new QLabel(bar);
    m_warningsLabel->setObjectName(QStringLiteral("PrintWarnings"));
    QPalette warn = m_warningsLabel->palette();
    warn.setColor(QPalette::WindowText, QColor(180, 0, 0));
    m_warningsLabel->setPalette(warn);
    bar->addPermanentWidget(m_warningsLabel);
    m_zoomLabel = new QLabel(bar);
    m_zoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    m_zoomLabel->setMinimumWidth(50);
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_zoomLabel);
    const auto showZoom = [this](int zoom) { m_zoomLabel->setText(QStringLiteral("%1 %").arg(zoom)); };
    showZoom(m_page->zoom());
    connect(m_page, &CoverPage::zoomChanged, this, showZoom);
}

void TFrmMain::pageChanged()
{
    for (int row = 0; row < int(kItemControls.size()); ++row) {
        const ItemControlRow &r = kItemControls[std::size_t(row)];
        const TextItem &item = m_page->item(QString::fromLatin1(r.code));
        // An empty box shows, in grey, the text the page prints for it (the sample
        // texts of the template after New).
        if (r.editBox) {
            QLineEdit *box = editBox(QString::fromLatin1(r.editBox));
            if (box->placeholderText() != item.text())
                box->setPlaceholderText(item.text());
        }
        const int buttonOfAlignment = item.alignment() == Alignment::Left ? 1 : item.alignment() == Alignment::Center ? 2 : 3;
        if (auto *button = findChild<QToolButton *>(QStringLiteral("SpeedButton%1").arg(3 * row + buttonOfAlignment)))
            if (!button->isChecked())
                button->setChecked(true);
    }
    updatePrintWarnings();
}

namespace {

QString linesThatWillNotPrint(int n)
{
    if (n == 1)
        return QStringLiteral("1 řádek se nevytiskne");
    if (n >= 2 && n <= 4)
        return QStringLiteral("%1 řádky se nevytisknou").arg(n);
    return QStringLiteral("%1 řádků se nevytiskne").arg(n);
}

} // namespace

void TFrmMain::updatePrintWarnings()
{
    QStringList warnings;
    for (const TextItem &item : m_page->items())
        if (const int hidden = m_page->hiddenLines(item.code()); hidden > 0)
            warnings << QStringLiteral("%1: %2").arg(itemLabel(item.code()), linesThatWillNotPrint(hidden));
    const struct {
        const char *element, *label;
    } pictures[] = {{"MainImg", "Obrázek přední strany"}, {"BckImg", "Obrázek zadní strany"}, {"CDL", "Obrázek hřbetu"}};
    for (const auto &p : pictures) {
        const double dpi = m_page->pictureDpi(p.element);
        if (dpi > 0 && dpi < CoverPage::kMinimumPrintDpi)
            warnings << QStringLiteral("%1 má na papíře jen %2 dpi").arg(QString::fromUtf8(p.label)).arg(qRound(dpi));
    }
    m_warningsLabel->setText(warnings.join(QStringLiteral(" · ")));
}

void TFrmMain::historyApplied()
{
    // The boxes show what the page now holds, without their change handling.
    for (const ItemControlRow &r : kItemControls) {
        if (!r.editBox)
            continue;
        QLineEdit *box = editBox(QString::fromLatin1(r.editBox));
        const QString text = m_page->item(QString::fromLatin1(r.code)).text();
        if (box->text() != text) {
            const QSignalBlocker quiet(box);
            box->setText(text);
        }
    }
    refreshToolWindows();
    markChanged(); // an undo is a change like any other
}

void TFrmMain::projectReplaced()
{
    // A new or opened project starts a new history, and nothing is unsaved.
    m_history->reset();
    m_recovery->remove();
    pageChanged();
}

void TFrmMain::setRecoveryInterval(int milliseconds)
{
    m_recoveryTimer->start(milliseconds);
}

void TFrmMain::writeRecoveryCopy()
{
    if (!action(QStringLiteral("Fsave"))->isEnabled())
        return;
    ProjectContext context = projectContext();
    QString error;
    if (!m_recovery->write(context, m_savePath, m_namedProject, &error))
        showNotice(QStringLiteral("Záložní kopii neuložené práce nelze zapsat: %1").arg(error));
}

void TFrmMain::offerRecovery()
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
    m_page->MainImg().clear();
    m_page->BckImg().clear();
    const bool restored = openProject(copy);
    QDir::setCurrent(previousDirectory);
    if (!restored)
        return; // the copy stays for another try; the error said why
    // The side files of a named project are written beside it.
    if (found->named && !found->projectPath.isEmpty()) {
        m_savePath = m_loadPath = found->projectPath;
        m_namedProject = true;
        setWindowTitle(projectCaption(found->projectPath));
        QDir::setCurrent(QFileInfo(found->projectPath).absolutePath());
    } else {
        m_savePath = found->projectPath;
        m_loadPath.clear();
        m_namedProject = false;
        setWindowTitle(kUnsavedCaption);
    }
    RecentProjects::remove(copy);
    m_recovery->discardAbandoned();
    setUnsaved(true); // restored work is not saved anywhere yet
}

void TFrmMain::rememberRecent(const QString &path)
{
    RecentProjects::add(path);
}

void TFrmMain::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList recent = RecentProjects::list();
    if (recent.isEmpty()) {
        m_recentMenu->addAction(QStringLiteral("(žádné)"))->setEnabled(false);
        return;
    }
    for (const QString &path : recent) {
        QAction *a = m_recentMenu->addAction(QDir::toNativeSeparators(path));
        connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
}

void TFrmMain::openRecent(const QString &path)
{
    if (!QFile::exists(path)) {
        RecentProjects::remove(path);
        showErrorBox(this, QStringLiteral("Projekt „%1“ už neexistuje a byl odebrán ze seznamu nedávných projektů.")
                               .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!askToSaveFirst())
        return;
    const QString previousDirectory = QDir::currentPath();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    if (!openProject(path))
        QDir::setCurrent(previousDirectory);
}

namespace {

bool isPictureFile(const QString &path)
{
    static const QStringList kinds{QStringLiteral("bmp"), QStringLiteral("gif"), QStringLiteral("jpg"),
                                   QStringLiteral("jpeg"), QStringLiteral("ico"), QStringLiteral("emf"),
                                   QStringLiteral("wmf"), QStringLiteral("png")};
    return kinds.contains(QFileInfo(path).suffix().toLower());
}

} // namespace

bool TFrmMain::dropFile(const QString &path, const QPoint &pos)
{
    if (path.endsWith(QStringLiteral(".kvp"), Qt::CaseInsensitive)) {
        if (!askToSaveFirst())
            return true;
        const QString previousDirectory = QDir::currentPath();
        QDir::setCurrent(QFileInfo(path).absolutePath());
        if (!openProject(path))
            QDir::setCurrent(previousDirectory);
        return true;
    }
    if (!isPictureFile(path)) {
        showNotice(QStringLiteral("Tento soubor nelze použít: „%1“ není obrázek ani projekt.").arg(QFileInfo(path).fileName()));
        return false;
    }
    const QPoint onPage = m_view->mapFrom(this, pos);
    const int zoom = m_page->zoom();
    std::string_view target;
    for (std::string_view element : {"CDL", "CDR", "MainImg", "BckImg"})
        if (m_page->elementPixelRect(element, zoom).contains(onPage)) {
            target = element;
            break;
        }
    if (target.empty()) {
        showNotice(QStringLiteral("Obrázek pusťte na přední stranu, zadní stranu nebo na hřbet."));
        return false;
    }
    const QString file = QFileInfo(path).absoluteFilePath();
    bool ok = false;
    if (target == "CDL" || target == "CDR") {
        // As " Otevřít" in the spine window would do it.
        ok = runCommand(this, [&] { m_spineState->choosePicture(file); });
    } else {
        QString error;
        PictureElement &element = target == "MainImg" ? m_page->MainImg() : m_page->BckImg();
        ok = element.loadFromFile(file, &error);
        if (!ok)
            showErrorBox(this, error);
    }
    if (ok)
        markChanged();
    return ok;
}

void TFrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        showNotice(QStringLiteral("Pusťte sem jeden obrázek nebo jeden projekt (.kvp)."));
        return;
    }
    if (dropFile(urls.first().toLocalFile(), event->position().toPoint()))
        event->acceptProposedAction();
}

bool TFrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl and the mouse wheel zoom, as in every other editor.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta > 0)
                ZoomInClick();
            else if (delta < 0)
                ZoomOutClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::buildToolbar()
{
    m_bar = new PictureToolBar(this);
    m_bar->setObjectName(QStringLiteral("Bar"));
    auto *style = new ToolbarStyle(QApplication::style()->name());
    style->setParent(m_bar);
    m_bar->setStyle(style);
    m_bar->setMovable(false);
    m_bar->setFloatable(false);
    m_bar->setIconSize(QSize(20, 20));
    m_bar->setFixedHeight(29);
    m_bar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, m_bar);

    for (const ToolbarEntry &entry : kToolbar) {
        if (entry.separatorBefore) {
            auto *gap = new QWidget(m_bar);
            gap->setFixedSize(8, 23);
            m_bar->addWidget(gap);
        }
        const QString name = QString::fromLatin1(entry.name);
        QAction *action = m_bar->addAction(toolbarIcon(name), QString::fromUtf8(entry.caption));
        action->setObjectName(name);
        QString hint = action->text();
        if (entry.shortcut) {
            QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(entry.shortcut))};
            if (entry.alternative)
                keys << QKeySequence(QString::fromLatin1(entry.alternative));
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WindowShortcut);
            hint += QStringLiteral(" (%1)").arg(keys.first().toString(QKeySequence::NativeText));
        }
        action->setToolTip(hint);
        action->setStatusTip(hint);
        if (QWidget *button = m_bar->widgetForAction(action)) {
            button->setObjectName(name + QStringLiteral("Button"));
            button->setFixedSize(24, 23);
        }
    }
    // Unsaved changes: nothing to save at start.
    action(QStringLiteral("Fsave"))->setEnabled(false);

    connect(action(QStringLiteral("FNew")), &QAction::triggered, this, &TFrmMain::FNewClick);
    connect(action(QStringLiteral("FOpen")), &QAction::triggered, this, &TFrmMain::FOpenClick);
    connect(action(QStringLiteral("Fsave")), &QAction::triggered, this, &TFrmMain::FsaveClick);
    connect(action(QStringLiteral("SaveAs")), &QAction::triggered, this, &TFrmMain::SaveAsClick);
    connect(action(QStringLiteral("ImgMain")), &QAction::triggered, this, &TFrmMain::ImgMainClick);
    connect(action(QStringLiteral("ImgBack")), &QAction::triggered, this, &TFrmMain::ImgBackClick);
    connect(action(QStringLiteral("ClrTxt")), &QAction::triggered, this, &TFrmMain::ClrTxtClick);
    connect(action(QStringLiteral("ZoomIn")), &QAction::triggered, this, &TFrmMain::ZoomInClick);
    connect(action(QStringLiteral("ZoomOut")), &QAction::triggered, this, &TFrmMain::ZoomOutClick);
    connect(action(QStringLiteral("ZoomDef")), &QAction::triggered, this, &TFrmMain::ZoomDefClick);
    connect(action(QStringLiteral("View")), &QAction::triggered, this, &TFrmMain::ViewClick);
    connect(action(QStringLiteral("Tisk")), &QAction::triggered, this, &TFrmMain::TiskClick);
    connect(action(QStringLiteral("Info")), &QAction::triggered, this, &TFrmMain::InfoClick);
}

namespace {

QIcon fontButtonIcon()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(7);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 4, 5, 8), Qt::AlignCenter, QStringLiteral("A"));
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRect(4, 0, 8, 12), Qt::AlignCenter, QStringLiteral("A"));
    return QIcon(pixmap);
}

QIcon alignmentIcon(int alignment)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    const int widths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = alignment == int(Alignment::Left) ? 2 : alignment == int(Alignment::Right) ? 14 - w : (16 - w) / 2;
        p.drawLine(x, 3 + 3 * i, x + w - 1, 3 + 3 * i);
    }
    return QIcon(pixmap);
}

QIcon editIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 10, 13);
    for (int y = 4; y < 13; y += 3)
        p.drawLine(4, y, 10, y);
    p.setPen(QPen(QColor(180, 60, 0), 2));
    p.drawLine(8, 14, 15, 7);
    return QIcon(pixmap);
}

} // namespace

void TFrmMain::buildItemControls()
{
    QFont fontButtonFont(QStringLiteral("Arial"));
    fontButtonFont.setPointSize(10);
    fontButtonFont.setBold(true);
    fontButtonFont.setItalic(true);
    QFont editButtonFont(QStringLiteral("Arial"));
    editButtonFont.setPointSize(9);
    editButtonFont.setBold(true);
    editButtonFont.setItalic(true);
    const QIcon fontIcon = fontButtonIcon();

    QWidget *previous = nullptr;
    for (int row = 0; row < int(kItemControls.size()); ++row) {
        const ItemControlRow &r = kItemControls[std::size_t(row)];
        if (r.editBox) {
            auto *box = new QLineEdit(m_canvas);
            box->setObjectName(QString::fromLatin1(r.editBox));
            box->setGeometry(r.editLeft, r.editTop - kToolbarHeight, r.editWidth, 22);
            auto *validator = new Cp1250Validator(box);
            connect(validator, &Cp1250Validator::dropped, this,
                    [this](const QString &characters) { showNotice(droppedCharactersNotice(characters)); });
            box->setValidator(validator);
            connect(box, &QLineEdit::textChanged, this, [this, row] { editBoxChanged(row); });
            // Typed letters are one undo step per run; the box's own undo is not used.
            connect(box, &QLineEdit::textEdited, this, [this, row] { m_history->nextChangeIsTyping(row); });
            UndoKeyFilter::install(box);
            if (previous)
                setTabOrder(previous, box);
            previous = box;
            m_editBoxes << box;
        }

        auto *fontButton = new QToolButton(m_canvas);
        fontButton->setObjectName(QStringLiteral("RxSpeedButton%1").arg(row + 1));
        fontButton->setGeometry(r.fontLeft, r.fontTop, 25, 25);
        fontButton->setAutoRaise(true);
        fontButton->setText(QStringLiteral("T"));
        fontButton->setFont(fontButtonFont);
        fontButton->setIcon(fontIcon);
        fontButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        fontButton->setFocusPolicy(Qt::NoFocus);
        connect(fontButton, &QToolButton::clicked, this, [this, row] { fontButtonClicked(row); });

        auto *panel = new QFrame(m_canvas);
        panel->setObjectName(QStringLiteral("Panel%1").arg(row + 1));
        panel->setGeometry(r.panelLeft, r.panelTop - kToolbarHeight, 79, 27);
        const int alignments[] = {int(Alignment::Left), int(Alignment::Center), int(Alignment::Right)};
        for (int i = 0; i < 3; ++i) {
            auto *button = new QToolButton(panel);
            button->setObjectName(QStringLiteral("SpeedButton%1").arg(3 * row + i + 1));
            button->setGeometry(2 + 25 * i, 1, 25, 25);
            button->setAutoRaise(true);
            button->setIcon(alignmentIcon(alignments[i]));
            button->setFocusPolicy(Qt::NoFocus);
            // Shows the item's alignment: the button of the current one stays pressed.
            button->setCheckable(true);
            button->setAutoExclusive(true);
            const int alignment = alignments[i];
            connect(button, &QToolButton::clicked, this, [this, row, alignment] { alignmentClicked(row, alignment); });
        }
    }

    for (const WindowButtonRow &w : kWindowButtons) {
        auto *button = new QToolButton(m_canvas);
        button->setObjectName(QString::fromLatin1(w.name));
        button->setGeometry(w.left, w.top, w.width, w.height);
        button->setAutoRaise(true);
        button->setText(QStringLiteral(" Editace"));
        button->setFont(editButtonFont);
        button->setIcon(editIcon());
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        QPalette pal = button->palette();
        pal.setColor(QPalette::ButtonText, QColor(0, 0, 128));
        button->setPalette(pal);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(findChild<QToolButton *>(QStringLiteral("BEo")), &QToolButton::clicked, this, &TFrmMain::BEoClick);
    connect(findChild<QToolButton *>(QStringLiteral("BEit")), &QToolButton::clicked, this, &TFrmMain::BEitClick);
    connect(findChild<QToolButton *>(QStringLiteral("LRBtn")), &QToolButton::clicked, this, &TFrmMain::LRBtnClick);
    m_view->lower(); // the controls stand over the page
}

void TFrmMain::resizeCanvas()
{
    QRect extent(QPoint(0, 0), m_view->size());
    if (m_editorsVisible)
        for (QWidget *child : m_canvas->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (child != m_view && !child->isHidden())
                extent = extent.united(child->geometry());
    m_canvas->setFixedSize(extent.size() + QSize(extent.x() > 0 ? 0 : 0, 0));
}

QLineEdit *TFrmMain::editBox(const QString &name) const
{
    for (QLineEdit *box : m_editBoxes)
        if (box->objectName() == name)
            return box;
    return nullptr;
}

void TFrmMain::markChanged()
{
    action(QStringLiteral("Fsave"))->setEnabled(true);
}

void TFrmMain::editBoxChanged(int row)
{
    const ItemControlRow &r = kItemControls[std::size_t(row)];
    markChanged();
    m_page->item(QString::fromLatin1(r.code)).setText(editBox(QString::fromLatin1(r.editBox))->text());
}

void TFrmMain::fillEditBoxes()
{
    for (const ItemControlRow &r : kItemControls)
        if (r.editBox)
            editBox(QString::fromLatin1(r.editBox))->setText(m_page->item(QString::fromLatin1(r.code)).text());
}

void TFrmMain::emptyEditBoxes()
{
    for (QLineEdit *box : m_editBoxes)
        box->setText(QString());
}

void TFrmMain::fontButtonClicked(int row)
{
    TextItem &item = m_page->item(QString::fromLatin1(kItemControls[std::size_t(row)].code));
    FontDialog dialog(this);
    dialog.setItemFont(item.font());
    if (dialog.exec() == QDialog::Accepted)
        item.setFont(dialog.itemFont());
    markChanged(); // also when cancelled
}

void TFrmMain::alignmentClicked(int row, int alignment)
{
    markChanged();
    m_page->item(QString::fromLatin1(kItemControls[std::size_t(row)].code)).setAlignment(Alignment(alignment));
    refreshToolWindows(); // an open editor shows the alignment too
}

void TFrmMain::choosePicture(bool front)
{
    const QString dir = QDir::currentPath();
    const QString file = m_openPicture ? m_openPicture(this) : runOpenPictureDialog(this);
    if (!file.isEmpty()) {
        PictureElement &element = front ? m_page->MainImg() : m_page->BckImg();
        QString error;
        if (!element.loadFromFile(file, &error)) {
            // The picture keeps what it had; nothing after the load runs.
            showErrorBox(this, error);
            return;
        }
    }
    QDir::setCurrent(dir);
    markChanged(); // also when cancelled
}

void TFrmMain::removePicture(bool front)
{
    PictureElement &element = front ? m_page->MainImg() : m_page->BckImg();
    if (element.picture().isEmpty())
        return;
    element.remove();
    markChanged();
}

void TFrmMain::ImgMainClick()
{
    choosePicture(true);
}

void TFrmMain::ImgBackClick()
{
    choosePicture(false);
}

void TFrmMain::ClrTxtClick()
{
    if (!Ask(QStringLiteral("Smazat text ?"), QStringLiteral("Smazat všechen text ?"), 2))
        return;
    for (TextItem &item : m_page->items())
        item.clearLines();
    m_page->CDL().setCaption(QString());
    m_page->CDR().setCaption(QString());
    emptyEditBoxes();
    // Clearing is a change even when no box held text (after New the boxes are
    // empty while the page shows the template's texts).
    markChanged();
    refreshToolWindows();
}

void TFrmMain::openEditor(int target)
{
    markChanged();
    auto *editor = new TFrmEdit(*m_page, this);
    connect(editor, &TFrmEdit::changed, this, &TFrmMain::markChanged);
    connect(editor, &TFrmEdit::notice, this, &TFrmMain::showNotice);
    connect(editor, &TFrmEdit::typing, this, [this, target] { m_history->nextChangeIsTyping(100 + target); });
    editor->WhatEdit(target);
    editor->show();
}

void TFrmMain::BEoClick()
{
    openEditor(1);
}

void TFrmMain::BEitClick()
{
    openEditor(2);
}

void TFrmMain::InfoClick()
{
    // Made for this one showing; the unsaved-changes flag is not touched.
    TFrmInfo info(this);
    info.exec();
}

TFrmNzvCD *TFrmMain::createSpineDialog()
{
    auto *dialog = new TFrmNzvCD(*m_page, *m_spineState, this);
    connect(dialog, &TFrmNzvCD::changed, this, [this, dialog] {
        markChanged();
        // The other open spine windows show the same spine.
        for (TFrmNzvCD *other : findChildren<TFrmNzvCD *>())
            if (other != dialog)
                other->refreshFromPage();
    });
    connect(dialog, &TFrmNzvCD::notice, this, &TFrmMain::showNotice);
    connect(dialog, &TFrmNzvCD::typing, this, [this] { m_history->nextChangeIsTyping(200); });
    return dialog;
}

void TFrmMain::LRBtnClick()
{
    markChanged();
    // A new dialog each time, which becomes the current holder of the spine picture
    // state; earlier ones live on, hidden or open, until the program ends.
    TFrmNzvCD *dialog = createSpineDialog();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TFrmMain::buildPopupMenu()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopUpMenuMain"));
    auto add = [this](const char *name, const char *caption, void (TFrmMain::*slot)()) {
        QAction *a = m_popup->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
    };
    add("Zvtit1", "Zvětšit", &TFrmMain::ZoomInClick);
    add("Zmenit1", "Zmenšit", &TFrmMain::ZoomOutClick);
    add("N1001", "100%", &TFrmMain::ZoomDefClick);
    m_popup->addSeparator()->setObjectName(QStringLiteral("N1"));
    add("Nhled1", "Náhled", &TFrmMain::ViewClick);
    QAction *calibration = m_popup->addAction(QStringLiteral("Kalibrace tiskárny"));
    calibration->setObjectName(QStringLiteral("Kalibrace1"));
    connect(calibration, &QAction::triggered, this, [this] {
        TFrmCalibration dialog(QPrinterInfo::defaultPrinterName(), this);
        dialog.exec();
    });
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("Undo")));
    m_popup->addAction(action(QStringLiteral("Redo")));
    m_popup->addSeparator();
    m_recentMenu = m_popup->addMenu(QStringLiteral("Nedávné projekty"));
    m_recentMenu->setObjectName(QStringLiteral("RecentMenu"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &TFrmMain::fillRecentMenu);
    m_popup->addSeparator();
    QAction *front = m_popup->addAction(QStringLiteral("Odebrat obrázek přední strany"));
    front->setObjectName(QStringLiteral("RemoveMainImg"));
    connect(front, &QAction::triggered, this, [this] { removePicture(true); });
    QAction *back = m_popup->addAction(QStringLiteral("Odebrat obrázek zadní strany"));
    back->setObjectName(QStringLiteral("RemoveBckImg"));
    connect(back, &QAction::triggered, this, [this] { removePicture(false); });
    // Offered only while there is a picture to take away.
    connect(m_popup, &QMenu::aboutToShow, this, [this, front, back] {
        front->setEnabled(!m_page->MainImg().picture().isEmpty());
        back->setEnabled(!m_page->BckImg().picture().isEmpty());
    });
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("Help")));
}

QAction *TFrmMain::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

void TFrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    m_popup->popup(event->globalPos());
    event->accept();
}

void TFrmMain::SetEditorsVisible(bool visible)
{
    m_editorsVisible = visible;
    for (const QString &name : editorControlNames())
        if (QWidget *w = findChild<QWidget *>(name))
            w->setVisible(visible);
    m_page->setCaptionsVisible(visible);
    resizeCanvas();
}

void TFrmMain::changeZoom(int delta)
{
    SetEditorsVisible(false);
    m_page->setZoom(m_page->zoom() + delta); // out of 1..300: ignored by the page
    if (m_page->zoom() == 100)
        SetEditorsVisible(true);
}

void TFrmMain::ZoomInClick()
{
    changeZoom(10);
}

void TFrmMain::ZoomOutClick()
{
    changeZoom(-10);
}

void TFrmMain::ZoomDefClick()
{
    SetEditorsVisible(true);
    m_page->setZoom(100);
}

void TFrmMain::setUpPrinter(QPrinter &printer)
{
    PrintSetup::prepare(printer, QStringLiteral("Korvel"));
}

bool TFrmMain::printOn(QPrinter &printer)
{
    // Whatever the dialog offered, the cover is one portrait page from the paper's
    // corner, moved and stretched by the calibration of the printer it goes to.
    PrintSetup::keepCoverPage(printer);
    const PrinterCalibration calibration = PrintSetup::calibrationFor(printer);
    const QString warning = PrintSetup::fitWarning(printer, calibration);
    if (!warning.isEmpty() && !Ask(QStringLiteral("Tisk"), warning, 1))
        return false;

    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("PrintProgress"));
    progress.setWindowTitle(QStringLiteral("Printing progress"));
    progress.setLabelText(QStringLiteral("Printing progress"));
    progress.setCancelButtonText(QStringLiteral("Cancel"));
    progress.setRange(0, 1);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    QCoreApplication::processEvents();
    if (progress.wasCanceled())
        return false;
    const bool ok = m_page->printTo(printer, calibration);
    progress.setValue(1);
    if (!ok) {
        const QString where = printer.outputFileName().isEmpty() ? QStringLiteral("na tiskárnu %1").arg(printer.printerName())
                                                                 : QStringLiteral("do souboru %1").arg(printer.outputFileName());
        showErrorBox(this, QStringLiteral("Stránku se nepodařilo vytisknout %1.").arg(where));
    }
    return ok;
}

void TFrmMain::withPrinter(const std::function<void(QPrinter &)> &job)
{
    // A preview or print asked for while one is being prepared is ignored.
    if (m_preparingPrint)
        return;
    m_preparingPrint = true;
    const auto done = qScopeGuard([this] { m_preparingPrint = false; });
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    // The print job is named after the project, as print queues show it.
    if (m_namedProject && !m_savePath.isEmpty())
        printer.setDocName(QFileInfo(m_savePath).completeBaseName());
    job(printer);
}

void TFrmMain::ViewClick()
{
    bool print = false;
    withPrinter([this, &print](QPrinter &printer) {
        CoverPreviewDialog preview(&printer, this);
        preview.setObjectName(QStringLiteral("PrintPreview"));
        preview.setWindowTitle(QStringLiteral("Náhled"));
        // The preview shows the page itself: no printer's calibration reaches it.
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter *p) { m_page->printTo(*p); });
        preview.exec();
        print = preview.printRequested();
    });
    if (print)
        TiskClick();
}

void TFrmMain::TiskClick()
{
    withPrinter([this](QPrinter &printer) {
        CoverPrintDialog dialog(&printer, PrintSetup::proposedPdf(m_namedProject ? m_savePath : QString()), this);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        printOn(printer);
    });
}

void TFrmMain::restorePlacement()
{
    QSettings settings;
    const QByteArray geometry = settings.value(kPlacementKey).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

void TFrmMain::savePlacement() const
{
    QSettings settings;
    settings.setValue(kPlacementKey, saveGeometry());
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    savePlacement();
    // Closed cleanly: the work was saved or deliberately left.
    m_recovery->remove();
    QMainWindow::closeEvent(event);
}

} // namespace korvel
