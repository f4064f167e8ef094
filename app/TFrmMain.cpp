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
#include <QToolBar>
#include <QPainter>
#include <QToolButton>

#include "app/Cp1250Validator.h"
#include "app/ErrorBox.h"
#include "app/FileDialogFilters.h"
#include "app/FontDialog.h"
#include "app/ItemControls.h"
#include "app/PictureOpenDialog.h"
#include "app/PrintSetup.h"
#include "dialogs/Ask.h"
#include "dialogs/CoverPreviewDialog.h"
#include "dialogs/CoverPrintDialog.h"
#include "dialogs/TFrmCalibration.h"
#include "dialogs/TFrmEdit.h"
#include "app/PageView.h"
#include "app/ToolbarIcons.h"
#include "project/CoverPage.h"
#include "project/ProjectFile.h"
#include "project/ProjectSession.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "spine/SpinePictureState.h"
#include "spine/TFrmNzvCD.h"
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
    const char *caption; // UTF-8; also the hint
    bool separatorBefore;
};

// The toolbar in order, with the gaps that set its groups apart.
constexpr ToolbarEntry kToolbar[] = {
    {"FNew", "Nový", false},
    {"FOpen", "Otevřít", false},
    {"Fsave", "Uložit", false},
    {"SaveAs", "Uložit Jako", false},
    {"ImgMain", "Obrázek přední strany", true},
    {"ImgBack", "Obrázek zadní strany", false},
    {"ClrTxt", "Vymazat texty", true},
    {"ZoomIn", "Zvětšit", true},
    {"ZoomOut", "Zmenšit", false},
    {"ZoomDef", "Standartní velikost", false},
    {"View", "Náhled", true},
    {"Tisk", "Tisk", false},
    {"Info", "Informace", true},
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
    buildPopupMenu();
    buildItemControls();
    resizeCanvas();
    restorePlacement();
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
    SpinePictureState *spine = SpinePictureState::current();
    Q_ASSERT(spine); // one is created at start-up, before the window is shown
    return ProjectContext{*m_page, *m_iniFile, *m_reg, *spine,
                          [this](const QString &caption) { setWindowTitle(caption); }};
}

bool TFrmMain::loadProject(const QString &path)
{
    if (!SpinePictureState::current())
        return false;
    ProjectContext context = projectContext();
    return runCommand(this, [&] { LoadProject(context, path); });
}

bool TFrmMain::saveProject(const QString &path)
{
    if (!SpinePictureState::current())
        return false;
    ProjectContext context = projectContext();
    return runCommand(this, [&] { SaveProject(context, path); });
}

bool TFrmMain::loadTemplate(const QString &directory)
{
    m_loadPath = QDir(directory).filePath(QStringLiteral("default.kvd"));
    if (QFile::exists(m_loadPath))
        return loadProject(m_loadPath);
    // Without a template of the user's own the page would fill with the missing-value
    // markers ("ERROR" in fonts 11073 pixels high); the program's own template, the
    // page's creation defaults, takes its place.
    QTemporaryDir dir;
    const QString builtIn = dir.filePath(QStringLiteral("korvel-template.kvd"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(":/default.kvd"), builtIn))
        return loadProject(m_loadPath);
    QFile::setPermissions(builtIn, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return loadProject(builtIn);
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
    if (!m_argument.isEmpty()) {
        openProject(m_argument);
        return;
    }
    loadTemplate(startDirectory);
    setUnsaved(false);
    setWindowTitle(kUnsavedCaption);
    m_namedProject = false;
    m_loadPath.clear();
    emptyEditBoxes();
}

bool TFrmMain::askToSaveFirst()
{
    if (!action(QStringLiteral("Fsave"))->isEnabled())
        return true;
    if (!Ask(QStringLiteral("Neuloženo !"), QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?"), 1))
        return true;
    return FsaveClick();
}

void TFrmMain::FNewClick()
{
    // Whatever the answer, and a cancelled save dialog, New goes on; a save that
    // failed ends it, or the work the user meant to keep would be replaced.
    if (!askToSaveFirst())
        return;
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    emptyEditBoxes();
    loadTemplate(QDir::currentPath());
    setUnsaved(false);
    setWindowTitle(kUnsavedCaption);
    m_namedProject = false;
    m_loadPath.clear();
}

void TFrmMain::FOpenClick()
{
    if (!askToSaveFirst())
        return; // as in New
    const QString file = runProjectDialog(false, m_loadPath);
    if (file.isEmpty())
        return;
    openProject(file);
}

void TFrmMain::openProject(const QString &path)
{
    // As Open does it, and start-up with a project named on the command line.
    m_loadPath = path;
    emptyEditBoxes();
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    if (!loadProject(m_loadPath))
        return;
    m_savePath = m_loadPath;
    fillEditBoxes();
    m_namedProject = true;
    setUnsaved(false);
}

bool TFrmMain::saveThroughDialog(bool setNamed)
{
    const QString file = runProjectDialog(true, m_savePath);
    if (file.isEmpty())
        return true;
    m_savePath = file;
    if (QFile::exists(file)
        && !Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1))
        return true;
    if (!saveProject(file))
        return false;
    setUnsaved(false);
    if (setNamed)
        m_namedProject = true;
    return true;
}

bool TFrmMain::FsaveClick()
{
    if (m_namedProject) {
        if (!saveProject(m_savePath))
            return false;
        setUnsaved(false);
        return true;
    }
    // Save never names the project: until it is opened or saved with Save As, each
    // Save shows the dialog again and asks before overwriting.
    return saveThroughDialog(false);
}

void TFrmMain::SaveAsClick()
{
    saveThroughDialog(true);
}

bool TFrmMain::FormCloseQuery()
{
    // The close is never refused, except when the save it asked for failed: then the
    // work would be lost, and the window stays open with the error shown.
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
        dialog.setDefaultSuffix(QStringLiteral("kvp"));
        if (!offered.isEmpty())
            dialog.selectFile(offered);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().first();
    }
    if (!file.isEmpty()) {
        // The side files are addressed relative to the working directory: confirming
        // a project makes its folder the current one.
        file = QFileInfo(file).absoluteFilePath();
        QDir::setCurrent(QFileInfo(file).absolutePath());
    }
    return file;
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
        action->setToolTip(action->text());
        action->setStatusTip(action->text());
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
            box->setValidator(new Cp1250Validator(box));
            connect(box, &QLineEdit::textChanged, this, [this, row] { editBoxChanged(row); });
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
    // Each box that held text fires its change handler, which sets the flag.
    emptyEditBoxes();
}

void TFrmMain::openEditor(int target)
{
    markChanged();
    auto *editor = new TFrmEdit(*m_page, this);
    connect(editor, &TFrmEdit::changed, this, &TFrmMain::markChanged);
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
    auto *dialog = new TFrmNzvCD(*m_page, this);
    connect(dialog, &TFrmNzvCD::changed, this, &TFrmMain::markChanged);
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
    QMainWindow::closeEvent(event);
}

} // namespace korvel
