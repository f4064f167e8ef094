#include "app/TFrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QWheelEvent>

#include "app/ItemControls.h"
#include "app/ItemEditors.h"
#include "app/MainToolBar.h"
#include "app/PageView.h"
#include "app/PrintSetup.h"
#include "app/ProjectCommands.h"
#include "dialogs/Ask.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/PictureOpenDialog.h"
#include "dialogs/TFrmCalibration.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmHelp.h"
#include "dialogs/TFrmInfo.h"
#include "dialogs/TFrmNzvCD.h"
#include "project/CoverPage.h"
#include "project/PageHistory.h"
#include "project/ProjectSession.h"
#include "project/SpinePictureState.h"
#include "settings/RecentProjects.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"

// The program's resources live in a static library, so they are registered by hand.
static void initKorvelResources()
{
    Q_INIT_RESOURCE(korvel);
}

namespace korvel {

namespace {

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


} // namespace

TFrmMain::TFrmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_page(new CoverPage(this))
    , m_iniFile(new TKivINIEntry(this))
    , m_reg(new TKivRegEntry(this))
    , m_spineState(new SpinePictureState(*m_page, this))
    , m_history(new PageHistory(*m_page, *m_spineState, this))
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
    m_editors = new ItemEditors(*this, m_canvas);
    m_view->lower(); // the item controls stand over the page
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
    m_commands = new ProjectCommands(*this);
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

// The project commands: what happens on each lives in ProjectCommands.
void TFrmMain::FNewClick()
{
    m_commands->newProject();
}

void TFrmMain::FOpenClick()
{
    m_commands->openWithDialog();
}

bool TFrmMain::FsaveClick()
{
    return m_commands->save();
}

void TFrmMain::SaveAsClick()
{
    m_commands->saveAs();
}

void TFrmMain::setProjectDialog(ProjectDialog dialog)
{
    m_commands->setProjectDialog(std::move(dialog));
}

QStringList TFrmMain::projectFilters()
{
    return ProjectCommands::projectFilters();
}

bool TFrmMain::openProject(const QString &path)
{
    return m_commands->openProject(path);
}

void TFrmMain::setRecoveryInterval(int milliseconds)
{
    m_commands->setRecoveryInterval(milliseconds);
}

void TFrmMain::writeRecoveryCopy()
{
    m_commands->writeRecoveryCopy();
}

RecoveryStore &TFrmMain::recovery()
{
    return m_commands->recovery();
}

void TFrmMain::openRecent(const QString &path)
{
    m_commands->openRecent(path);
}

bool TFrmMain::isNamedProject() const
{
    return m_commands->isNamed();
}

const QString &TFrmMain::loadPath() const
{
    return m_commands->loadPath();
}

const QString &TFrmMain::savePath() const
{
    return m_commands->savePath();
}

bool TFrmMain::isUnsaved() const
{
    return action(QStringLiteral("Fsave"))->isEnabled();
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_commands->start(m_argument);
    }
}

void TFrmMain::setUnsaved(bool unsaved)
{
    action(QStringLiteral("Fsave"))->setEnabled(unsaved);
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

void TFrmMain::pageChanged()
{
    m_editors->showPage();
    updatePrintWarnings();
}

QLineEdit *TFrmMain::editBox(const QString &name) const
{
    return m_editors->editBox(name);
}

void TFrmMain::fillEditBoxes()
{
    m_editors->fill();
}

void TFrmMain::emptyEditBoxes()
{
    m_editors->empty();
}

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
    m_editors->showTexts();
    refreshToolWindows();
    markChanged(); // an undo is a change like any other
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
        connect(a, &QAction::triggered, this, [this, path] { m_commands->openRecent(path); });
    }
}

bool TFrmMain::dropFile(const QString &path, const QPoint &pos)
{
    if (path.endsWith(QStringLiteral(".kvp"), Qt::CaseInsensitive)) {
        m_commands->askAndOpen(path);
        return true;
    }
    if (!Picture::hasLoaderFor(path)) {
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
    m_bar = new MainToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_bar);
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

void TFrmMain::resizeCanvas()
{
    QRect extent(QPoint(0, 0), m_view->size());
    if (m_editorsVisible)
        for (QWidget *child : m_canvas->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (child != m_view && !child->isHidden())
                extent = extent.united(child->geometry());
    m_canvas->setFixedSize(extent.size() + QSize(extent.x() > 0 ? 0 : 0, 0));
}

void TFrmMain::markChanged()
{
    action(QStringLiteral("Fsave"))->setEnabled(true);
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
    if (m_commands->isNamed() && !m_commands->savePath().isEmpty())
        printer.setDocName(QFileInfo(m_commands->savePath()).completeBaseName());
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
        CoverPrintDialog dialog(&printer, PrintSetup::proposedPdf(m_commands->isNamed() ? m_commands->savePath() : QString()), this);
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
    if (!m_commands->closeQuery()) {
        event->ignore();
        return;
    }
    savePlacement();
    m_commands->closed();
    QMainWindow::closeEvent(event);
}

} // namespace korvel
