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
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "project/layouts/JewelCase.h"
#include "app/ItemEditors.h"
#include "app/LabelEditors.h"
#include "app/MainToolBar.h"
#include "app/PageCanvas.h"
#include "app/PageView.h"
#include "app/PictureCommands.h"
#include "app/PictureCropper.h"
#include "app/PrintCommands.h"
#include "app/ProjectCommands.h"
#include "app/StatusLine.h"
#include "app/TrackCommands.h"
#include "dialogs/Ask.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/TFrmCalibration.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmHelp.h"
#include "dialogs/TFrmInfo.h"
#include "dialogs/TFrmNzvCD.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryWriter.h"
#include "project/SpinePictureState.h"
#include "settings/DiscSheetStore.h"
#include "settings/RecentProjects.h"

// The program's resources live in a static library, so they are registered by hand.
static void initKorvelResources()
{
    Q_INIT_RESOURCE(korvel);
}

namespace korvel {

namespace {

const QString kPlacementKey = QStringLiteral("Placement/TFrmMain");


} // namespace

TFrmMain::TFrmMain(const QString &startFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_document(new CoverDocument(startFolder.isEmpty() ? QDir::currentPath() : startFolder, this))
    , m_pageChangedTimer(new QTimer(this))
{
    initKorvelResources();
    // The designer's spine state keeps the per-user values ImgLR and ImgLRName.
    m_document->spine().mirrorToRegistry();
    m_document->enableRecovery(std::make_unique<RecoveryWriter>(*m_document));
    connect(&recovery(), &RecoveryWriter::failed, this,
            [this](const QString &error) { showNotice(QStringLiteral("Záložní kopii neuložené práce nelze zapsat: %1").arg(error)); });
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
    m_scroll->setAccessibleName(QStringLiteral("Stránka obalu"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Window);
    m_scroll->setContextMenuPolicy(Qt::NoContextMenu);
    // The page and, beside it, the editing controls that scroll with it; the canvas
    // reaches past the page where the alignment panels do.
    auto *canvas = new PageCanvas;
    m_canvas = canvas;
    m_view = new PageView(page(), m_canvas);
    canvas->setPage(m_view);
    m_scroll->setWidget(m_canvas);
    connect(&view(), &SheetView::zoomChanged, this, &TFrmMain::resizeCanvas);
    // This window shows the page: a project's photos are decoded for its zoom first.
    m_document->setScreenZoom(view().zoom());
    connect(&view(), &SheetView::zoomChanged, m_document, &CoverDocument::setScreenZoom);

    m_commands = new ProjectCommands(*m_document, *this);
    m_print = new PrintCommands(*m_document, *this);
    m_pictures = new PictureCommands(*m_document, view(), *this);
    m_tracks = new TrackCommands(*m_document, *this);
    connect(m_commands, &ProjectCommands::notice, this, &TFrmMain::showNotice);
    connect(m_pictures, &PictureCommands::notice, this, &TFrmMain::showNotice);
    connect(m_print, &PrintCommands::notice, this, &TFrmMain::showNotice);
    buildToolbar();
    buildEditActions();
    buildPopupMenu();
    m_editors = new ItemEditors(*m_document, m_canvas, this);
    connect(m_editors, &ItemEditors::notice, this, &TFrmMain::showNotice);
    connect(m_editors, &ItemEditors::editContents, this, &TFrmMain::BEoClick);
    connect(m_editors, &ItemEditors::editInfo, this, &TFrmMain::BEitClick);
    connect(m_editors, &ItemEditors::editSpine, this, &TFrmMain::LRBtnClick);
    m_view->lower(); // the item controls stand over the page
    m_cropper = new PictureCropper(*m_document, *m_view);
    // The crop chosen by keys is that of a picture of the sheet shown.
    connect(m_pictures, &PictureCommands::cropByKeyboard, this, [this](std::string_view element) {
        (m_shownSheet == kLabelSheet ? m_labelCropper : m_cropper)->startKeyboardCrop(element);
    });
    connect(m_cropper, &PictureCropper::hint, this, &TFrmMain::showCropHint);
    buildLabelSheet();
    m_statusLine = new StatusLine(page(), view(), *statusBar());
    connect(&m_labelView->view(), &SheetView::zoomChanged, m_statusLine, &StatusLine::showZoom);
    m_statusLine->setLabel(m_document->label());
    resizeCanvas();
    restorePlacement();

    connect(m_document, &CoverDocument::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_document, &CoverDocument::replaced, this, &TFrmMain::coverReplaced);
    connect(m_document, &CoverDocument::applied, this, &TFrmMain::coverReplaced);
    connect(m_document, &CoverDocument::rewritten, this, &TFrmMain::coverReplaced);
    // The boxes' hints, the alignment buttons and the warnings follow the page once
    // per burst of changes, not once per line a project load appends.
    m_pageChangedTimer->setSingleShot(true);
    m_pageChangedTimer->setInterval(0);
    connect(m_pageChangedTimer, &QTimer::timeout, this, &TFrmMain::pageChanged);
    connect(&page(), &CoverPage::changed, m_pageChangedTimer, qOverload<>(&QTimer::start));
    connect(&m_document->label(), &CoverPage::changed, m_pageChangedTimer, qOverload<>(&QTimer::start));
    setAcceptDrops(true);
    m_scroll->viewport()->installEventFilter(this);
    pageChanged();
}

void TFrmMain::buildLabelSheet()
{
    m_labelScroll = new QScrollArea;
    m_labelScroll->setObjectName(QStringLiteral("DiscScroll"));
    m_labelScroll->setAccessibleName(QStringLiteral("Stránka etikety disku"));
    m_labelScroll->setFrameShape(QFrame::NoFrame);
    m_labelScroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_labelScroll->setBackgroundRole(QPalette::Window);
    m_labelScroll->setContextMenuPolicy(Qt::NoContextMenu);
    auto *canvas = new PageCanvas;
    canvas->setObjectName(QStringLiteral("DiscCanvas"));
    m_labelCanvas = canvas;
    m_labelView = new PageView(m_document->label(), canvas);
    m_labelView->setObjectName(QStringLiteral("DiscView"));
    m_labelView->setAccessibleName(QStringLiteral("Etiketa disku na archu"));
    canvas->setPage(m_labelView);
    m_labelScroll->setWidget(canvas);
    SheetView &labelView = m_labelView->view();
    labelView.setCutCircles(DiscSheetStore::cutCircles());
    connect(&labelView, &SheetView::zoomChanged, this, &TFrmMain::resizeCanvas);
    connect(&labelView, &SheetView::zoomChanged, m_document, &CoverDocument::setScreenZoom);

    m_labelEditors = new LabelEditors(*m_document, canvas, this);
    m_labelView->lower(); // the controls stand over the sheet
    // They move with the label when its sheet changes: the canvas follows them.
    connect(&m_document->label(), &CoverPage::layoutChanged, this, &TFrmMain::resizeCanvas);
    connect(&labelView, &SheetView::resized, this, &TFrmMain::resizeCanvas);
    connect(m_labelEditors, &LabelEditors::notice, this, &TFrmMain::showNotice);
    connect(m_labelEditors, &LabelEditors::editLowerText, this, [this] { openEditor(TFrmEdit::kTargetLabel); });
    connect(m_labelEditors, &LabelEditors::choosePicture, m_pictures, &PictureCommands::chooseLabel);
    connect(m_labelEditors, &LabelEditors::cutCirclesChanged, &labelView, &SheetView::setCutCircles);
    m_labelCropper = new PictureCropper(*m_document, *m_labelView);
    connect(m_labelCropper, &PictureCropper::hint, this, &TFrmMain::showCropHint);
    m_labelScroll->viewport()->installEventFilter(this);

    // The sheets with their tabs below them, as a workbook has them: the cover keeps
    // its place in the window, and is shown at start.
    m_sheetTabs = new QTabBar;
    m_sheetTabs->setShape(QTabBar::RoundedSouth);
    m_sheetTabs->setObjectName(QStringLiteral("SheetTabs"));
    m_sheetTabs->setAccessibleName(QStringLiteral("Listy"));
    // Reached by Ctrl+PgDn and Ctrl+PgUp from anywhere; a stop of its own in the Tab
    // order would only be named after the tab shown (so twice "Obal").
    m_sheetTabs->setFocusPolicy(Qt::NoFocus);
    m_sheetTabs->setExpanding(false);
    m_sheetTabs->addTab(QStringLiteral("Obal"));
    m_sheetTabs->addTab(QStringLiteral("Disk"));
    m_sheetTabs->setTabToolTip(kCoverSheet, QStringLiteral("Obal CD na listu A4 (Ctrl+PgUp)"));
    m_sheetTabs->setTabToolTip(kLabelSheet, QStringLiteral("Etiketa disku (Ctrl+PgDn)"));
    m_sheetStack = new QStackedWidget;
    m_sheetStack->setObjectName(QStringLiteral("Sheets"));
    m_sheetStack->addWidget(m_scroll);
    m_sheetStack->addWidget(m_labelScroll);
    auto *central = new QWidget;
    central->setObjectName(QStringLiteral("SheetPane"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_sheetStack, 1);
    column->addWidget(m_sheetTabs);
    setCentralWidget(central);
    connect(m_sheetTabs, &QTabBar::currentChanged, this, &TFrmMain::showSheet);

    // The next and the previous sheet, from anywhere in the window, as between the
    // tabs of any other program.
    const auto sheetKey = [this](const char *name, const QString &text, const QKeySequence &key, int step) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, step] {
            const int count = m_sheetStack->count();
            showSheet((m_shownSheet + step + count) % count);
        });
    };
    sheetKey("NextSheet", QStringLiteral("Další list"), QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    sheetKey("PreviousSheet", QStringLiteral("Předchozí list"), QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void TFrmMain::showSheet(int index)
{
    if (index < 0 || index >= m_sheetStack->count())
        return;
    // The keyboard goes on where the user was on that sheet, or at its first box,
    // rather than wherever the focus chain leads from a control that is hidden now.
    QWidget *focus = QApplication::focusWidget();
    const bool onSheet = focus && m_sheetStack->isAncestorOf(focus);
    if (onSheet)
        m_sheetFocus[std::size_t(m_shownSheet)] = focus;
    m_shownSheet = index;
    if (m_sheetTabs->currentIndex() != index) {
        const QSignalBlocker quiet(m_sheetTabs);
        m_sheetTabs->setCurrentIndex(index);
    }
    m_sheetStack->setCurrentIndex(index);
    if (onSheet) {
        QWidget *next = m_sheetFocus[std::size_t(index)];
        if (!next || !next->isVisible() || !next->isEnabled())
            next = index == kLabelSheet ? static_cast<QWidget *>(m_labelEditors->editBox(disc::kArtist))
                                        : m_editors->editBox(QStringLiteral("MEht"));
        if (!next || !next->isVisible())
            next = index == kLabelSheet ? m_labelScroll : m_scroll;
        next->setFocus(Qt::OtherFocusReason);
    }
    m_print->setSheet(index);
    m_pictures->setLabelShown(index == kLabelSheet);
    m_document->setScreenZoom(shownView().zoom());
    if (m_statusLine)
        m_statusLine->showZoom(shownView().zoom());
}

SheetView &TFrmMain::shownView() const
{
    return m_shownSheet == kLabelSheet ? m_labelView->view() : view();
}

void TFrmMain::showCropHint(const QString &text)
{
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text);
}

TFrmMain::~TFrmMain()
{
    FormDestroy();
}

void TFrmMain::FormDestroy()
{
    // Every run starts without a remembered spine picture.
    try {
        spineState().remember(QString::fromLatin1(SpinePictureState::kNone));
    } catch (const std::exception &) {
        // The window is going away; there is nobody left to tell.
    }
}

SheetView &TFrmMain::view() const
{
    return m_view->view();
}

CoverPage &TFrmMain::page()
{
    return m_document->page();
}

SpinePictureState &TFrmMain::spineState()
{
    return m_document->spine();
}

DocumentHistory &TFrmMain::history()
{
    return m_document->history();
}

RecoveryWriter &TFrmMain::recovery()
{
    return *m_document->recovery();
}

void TFrmMain::setRecoveryInterval(int milliseconds)
{
    recovery().setInterval(milliseconds);
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

void TFrmMain::openRecent(const QString &path)
{
    m_commands->openRecent(path);
}

bool TFrmMain::isNamedProject() const
{
    return m_document->isNamed();
}

QString TFrmMain::savePath() const
{
    return m_commands->offeredName();
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_commands->start(m_argument);
    }
}

void TFrmMain::coverReplaced()
{
    m_editors->showTexts();
    pageChanged();
}

void TFrmMain::showNotice(const QString &text)
{
    statusBar()->showMessage(text, 10000);
}

void TFrmMain::buildEditActions()
{
    // Undo and redo work wherever the user is in the program: the main window, the
    // multi-line editor or the spine window.
    auto *undo = m_undo = new QAction(QStringLiteral("Zpět"), this);
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcuts(QKeySequence::Undo);
    auto *redo = m_redo = new QAction(QStringLiteral("Znovu"), this);
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    for (QAction *a : {undo, redo}) {
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setEnabled(false);
        addAction(a);
    }
    QUndoStack *stack = m_document->undoStack();
    connect(undo, &QAction::triggered, this, [this, stack] {
        history().recordNow(); // what was just typed is the step to undo
        stack->undo();
    });
    connect(redo, &QAction::triggered, this, [this, stack] {
        history().recordNow();
        stack->redo();
    });
    connect(stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    // Each says which step it takes back or makes again: "Zpět: Písmo – Nadpis".
    const auto name = [](QAction *action, const QString &command, const QString &step) {
        const QString text = step.isEmpty() ? command : QStringLiteral("%1: %2").arg(command, step);
        action->setText(text);
        const QString hint = QStringLiteral("%1 (%2)").arg(text, action->shortcut().toString(QKeySequence::NativeText));
        action->setToolTip(hint);
        action->setStatusTip(hint);
    };
    connect(stack, &QUndoStack::undoTextChanged, undo,
            [undo, name](const QString &step) { name(undo, QStringLiteral("Zpět"), step); });
    connect(stack, &QUndoStack::redoTextChanged, redo,
            [redo, name](const QString &step) { name(redo, QStringLiteral("Znovu"), step); });
    name(undo, QStringLiteral("Zpět"), stack->undoText());
    name(redo, QStringLiteral("Znovu"), stack->redoText());

    auto *help = m_help = new QAction(QStringLiteral("Nápověda"), this);
    help->setObjectName(QStringLiteral("Help"));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::ApplicationShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, [this] { TFrmHelp::showHelp(this); });

    // Ctrl+Q ends the program from any of its windows, through the usual question.
    auto *quit = m_quit = new QAction(QStringLiteral("Konec"), this);
    quit->setObjectName(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    addAction(quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void TFrmMain::pageChanged()
{
    m_editors->showPage();
    m_statusLine->showWarnings();
}

QLineEdit *TFrmMain::editBox(const QString &name) const
{
    return m_editors->editBox(name);
}

bool TFrmMain::dropFile(const QString &path, const QPoint &pos)
{
    if (path.endsWith(QStringLiteral(".kvp"), Qt::CaseInsensitive)) {
        m_commands->askAndOpen(path);
        return true;
    }
    if (m_tracks->drop(path)) // a folder of music, a CUE sheet, a playlist
        return true;
    if (m_shownSheet == kLabelSheet)
        return m_pictures->dropOnLabel(path, m_labelView->mapFrom(this, pos), m_labelView->view());
    return m_pictures->drop(path, m_view->mapFrom(this, pos));
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
    if ((watched == m_scroll->viewport() || watched == m_labelScroll->viewport()) && event->type() == QEvent::Wheel) {
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
    // Save is offered exactly while the cover differs from what was saved.
    const ToolbarCommands &c = commands();
    c.Fsave->setEnabled(false);
    connect(m_document, &CoverDocument::modifiedChanged, c.Fsave, &QAction::setEnabled);

    connect(c.FNew, &QAction::triggered, this, &TFrmMain::FNewClick);
    connect(c.FOpen, &QAction::triggered, this, &TFrmMain::FOpenClick);
    connect(c.Fsave, &QAction::triggered, this, &TFrmMain::FsaveClick);
    connect(c.SaveAs, &QAction::triggered, this, &TFrmMain::SaveAsClick);
    connect(c.ImgMain, &QAction::triggered, this, &TFrmMain::ImgMainClick);
    connect(c.ImgBack, &QAction::triggered, this, &TFrmMain::ImgBackClick);
    connect(c.ClrTxt, &QAction::triggered, this, &TFrmMain::ClrTxtClick);
    connect(c.ZoomIn, &QAction::triggered, this, &TFrmMain::ZoomInClick);
    connect(c.ZoomOut, &QAction::triggered, this, &TFrmMain::ZoomOutClick);
    connect(c.ZoomDef, &QAction::triggered, this, &TFrmMain::ZoomDefClick);
    connect(c.View, &QAction::triggered, this, &TFrmMain::ViewClick);
    connect(c.Tisk, &QAction::triggered, this, &TFrmMain::TiskClick);
    connect(c.Info, &QAction::triggered, this, &TFrmMain::InfoClick);
}

const ToolbarCommands &TFrmMain::commands() const
{
    return m_bar->commands();
}

QAction *TFrmMain::removePictureAction(bool front) const
{
    return m_pictures->removeAction(front);
}

void TFrmMain::resizeCanvas()
{
    // Each sheet with its shadow, and the controls that reach past it.
    const auto fit = [](QWidget *canvas, QWidget *sheet, bool controls) {
        QRect extent(QPoint(0, 0), sheet->size() + QSize(PageCanvas::kShadowWidth, PageCanvas::kShadowWidth));
        if (controls)
            for (QWidget *child : canvas->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                if (child != sheet && !child->isHidden())
                    extent = extent.united(child->geometry());
        canvas->setFixedSize(extent.size());
    };
    fit(m_canvas, m_view, m_editorsVisible[kCoverSheet]);
    if (m_labelCanvas)
        fit(m_labelCanvas, m_labelView, m_editorsVisible[kLabelSheet]);
}

void TFrmMain::setOpenPictureDialog(std::function<QString(QWidget *)> dialog)
{
    m_pictures->setOpenPictureDialog(std::move(dialog));
}

void TFrmMain::removePicture(bool front)
{
    m_pictures->remove(front);
}

void TFrmMain::ImgMainClick()
{
    m_pictures->choose(true);
}

void TFrmMain::ImgBackClick()
{
    m_pictures->choose(false);
}

void TFrmMain::ClrTxtClick()
{
    if (!Ask(QStringLiteral("Smazat text ?"), QStringLiteral("Smazat všechen text ?"), 2))
        return;
    m_document->clearTexts(); // the boxes and the tool windows follow the document
}

TFrmEdit *TFrmMain::listEditor(int target)
{
    if (target != TFrmEdit::kTargetContents && target != TFrmEdit::kTargetInfo && target != TFrmEdit::kTargetLabel)
        return nullptr;
    TFrmEdit *&editor = m_listEditors[std::size_t(target - 1)];
    if (editor)
        return editor;
    editor = new TFrmEdit(target == TFrmEdit::kTargetLabel ? m_document->label() : page(), this);
    connect(editor, &TFrmEdit::notice, this, &TFrmMain::showNotice);
    connect(editor, &TFrmEdit::typing, this, [this, target] { m_document->nextChangeIsTyping(100 + target); });
    connect(editor, &TFrmEdit::readTracks, m_tracks, [this] { m_tracks->open(); });
    editor->WhatEdit(target);
    // It shows the item as the cover holds it whenever the cover changed past it.
    for (auto signal : {&CoverDocument::replaced, &CoverDocument::applied, &CoverDocument::rewritten})
        connect(m_document, signal, editor, &TFrmEdit::refreshFromPage);
    return editor;
}

void TFrmMain::openEditor(int target)
{
    // One window per item: a second click brings it back where it was.
    TFrmEdit *editor = listEditor(target);
    editor->show();
    // Whoever opened it, from the keyboard too, goes on typing in it.
    editor->raise();
    editor->activateWindow();
    editor->Text()->setFocus();
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
    // Made for this one showing; the cover is not touched.
    TFrmInfo info(this);
    info.exec();
}

TFrmNzvCD *TFrmMain::spineDialog()
{
    if (m_spineDialog)
        return m_spineDialog;
    m_spineDialog = new TFrmNzvCD(page(), spineState(), this);
    connect(m_spineDialog, &TFrmNzvCD::notice, this, &TFrmMain::showNotice);
    connect(m_spineDialog, &TFrmNzvCD::typing, this, [this] { m_document->nextChangeIsTyping(200); });
    for (auto signal : {&CoverDocument::replaced, &CoverDocument::applied, &CoverDocument::rewritten})
        connect(m_document, signal, m_spineDialog, &TFrmNzvCD::refreshFromPage);
    return m_spineDialog;
}

void TFrmMain::LRBtnClick()
{
    TFrmNzvCD *dialog = spineDialog();
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
    QAction *exportPieces = m_popup->addAction(QStringLiteral("Exportovat pro tiskárnu…"));
    exportPieces->setObjectName(QStringLiteral("ExportPieces"));
    exportPieces->setToolTip(QStringLiteral("PDF pro tiskárnu: přední a zadní strana každá na své straně se spadávkou"));
    connect(exportPieces, &QAction::triggered, m_print, [this] { m_print->exportPieces(); });
    m_popup->addSeparator();
    m_popup->addAction(m_undo);
    m_popup->addAction(m_redo);
    m_popup->addSeparator();
    m_commands->addRecentMenu(*m_popup);
    m_tracks->addMenuAction(*m_popup);
    m_popup->addSeparator();
    m_pictures->addPlacementMenu(*m_popup);
    m_pictures->addRemoveActions(*m_popup);
    m_popup->addSeparator();
    m_popup->addAction(m_help);

    // The Menu key reaches contextMenuEvent; Shift+F10, the other key for the popup
    // menu on every desktop, is the window's to catch.
    auto *menuKey = new QAction(this);
    menuKey->setObjectName(QStringLiteral("PopupMenuKey"));
    menuKey->setShortcut(QKeySequence(QStringLiteral("Shift+F10")));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this, [this] { showPopupFromKeyboard(QPoint()); });
}

void TFrmMain::showPopupFromKeyboard(QPoint at)
{
    // From the keyboard the menu belongs to the control that has the focus: an item
    // of the front offers the front picture's placement, one of the back the back's.
    // On the label's sheet, every control of the label offers the label's picture.
    QWidget *focus = QApplication::focusWidget();
    std::string_view picture;
    if (m_shownSheet == kLabelSheet) {
        if (focus && m_labelCanvas->isAncestorOf(focus)) {
            const SheetLayout &layout = m_document->label().layout();
            picture = layout.element(layout.withRole(Role::LabelPicture)).name;
        }
    } else if (focus && isAncestorOf(focus)) {
        picture = ItemEditors::pictureOf(focus);
    }
    m_pictures->setMenuTarget(picture);
    // Under the item's control; elsewhere (the page itself) where the key was given,
    // or at the top left of the page in view.
    if (!picture.empty())
        at = focus->mapToGlobal(QPoint(0, focus->height()));
    else if (at.isNull())
        at = m_scroll->viewport()->mapToGlobal(QPoint(0, 0));
    m_popup->popup(at);
}

void TFrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        showPopupFromKeyboard(event->globalPos());
        return;
    }
    // The placement offered is that of the picture the menu is opened over.
    if (m_shownSheet == kLabelSheet)
        m_pictures->setMenuTarget(m_labelCropper->pictureAt(m_labelView->mapFromGlobal(event->globalPos())));
    else
        m_pictures->setMenuTarget(m_cropper->pictureAt(m_view->mapFromGlobal(event->globalPos())));
    m_popup->popup(event->globalPos());
}

void TFrmMain::SetEditorsVisible(bool visible)
{
    m_editorsVisible[std::size_t(m_shownSheet)] = visible;
    if (m_shownSheet == kLabelSheet)
        m_labelEditors->setVisible(visible);
    else
        m_editors->setVisible(visible);
    shownView().setCaptionsVisible(visible);
    resizeCanvas();
}

void TFrmMain::changeZoom(int delta)
{
    SheetView &shown = shownView();
    SetEditorsVisible(false);
    shown.setZoom(shown.zoom() + delta); // out of 1..300: ignored by the view
    if (shown.zoom() == 100)
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
    shownView().setZoom(100);
}

bool TFrmMain::isPreparingPrint() const
{
    return m_print->isPreparing();
}

bool TFrmMain::printOn(QPrinter &printer)
{
    return m_print->printOn(printer);
}

void TFrmMain::ViewClick()
{
    m_print->preview();
}

void TFrmMain::TiskClick()
{
    m_print->print();
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
