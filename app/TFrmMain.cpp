#include "app/TFrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>

#include "app/ErrorBox.h"
#include "app/PageView.h"
#include "app/ToolbarIcons.h"
#include "project/CoverPage.h"
#include "project/ProjectFile.h"
#include "project/ProjectSession.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "spine/SpinePictureState.h"

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

} // namespace

TFrmMain::TFrmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_page(new CoverPage(this))
    , m_iniFile(new TKivINIEntry(this))
    , m_reg(new TKivRegEntry(this))
{
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
    m_view = new PageView(*m_page);
    m_scroll->setWidget(m_view);
    setCentralWidget(m_scroll);

    buildToolbar();
    buildPopupMenu();
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

void TFrmMain::FormShow()
{
    if (m_argument.isEmpty())
        return;
    SpinePictureState *spine = SpinePictureState::current();
    if (!spine)
        return;
    m_page->item(QStringLiteral("BTo")).clearLines();
    m_page->item(QStringLiteral("BTit")).clearLines();
    ProjectContext context{*m_page, *m_iniFile, *m_reg, *spine,
                           [this](const QString &caption) { setWindowTitle(caption); }};
    runCommand(this, [&] { LoadProject(context, m_argument); });
}

void TFrmMain::buildToolbar()
{
    m_bar = new QToolBar(this);
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

    connect(action(QStringLiteral("ZoomIn")), &QAction::triggered, this, &TFrmMain::ZoomInClick);
    connect(action(QStringLiteral("ZoomOut")), &QAction::triggered, this, &TFrmMain::ZoomOutClick);
    connect(action(QStringLiteral("ZoomDef")), &QAction::triggered, this, &TFrmMain::ZoomDefClick);
    connect(action(QStringLiteral("View")), &QAction::triggered, this, &TFrmMain::ViewClick);
    connect(action(QStringLiteral("Tisk")), &QAction::triggered, this, &TFrmMain::TiskClick);
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
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                      QPageLayout::Millimeter));
    // Positions are measured from the paper's corner, not from the printable area.
    printer.setFullPage(true);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPaperSource(QPrinter::Upper); // the first paper bin
    printer.setDocName(QStringLiteral("Korvel"));
}

bool TFrmMain::printOn(QPrinter &printer)
{
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
    const bool ok = m_page->printTo(printer);
    progress.setValue(1);
    return ok;
}

void TFrmMain::ViewClick()
{
    if (m_preparingPrint)
        return;
    m_preparingPrint = true;
    const auto done = qScopeGuard([this] { m_preparingPrint = false; });
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("Náhled"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *p) { m_page->printTo(*p); });
    preview.exec();
}

void TFrmMain::TiskClick()
{
    if (m_preparingPrint)
        return;
    m_preparingPrint = true;
    const auto done = qScopeGuard([this] { m_preparingPrint = false; });
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The dialog may have changed the paper; the cover is laid out for A4 portrait.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printOn(printer);
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
    savePlacement();
    QMainWindow::closeEvent(event);
}

} // namespace korvel
