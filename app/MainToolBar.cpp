#include "app/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>

#include "controls/ToolbarIcons.h"

namespace korvel {

namespace {

struct ToolbarEntry {
    QAction *ToolbarCommands::*command;
    const char *name; // the action's, as the member
    const char *caption; // UTF-8; also the hint, with the shortcut
    bool separatorBefore;
    const char *shortcut; // portable text, or nullptr
    const char *alternative; // a second key for the same command, or nullptr
};

// The toolbar in order, with the gaps that set its groups apart.
constexpr ToolbarEntry kToolbar[] = {
    {&ToolbarCommands::FNew, "FNew", "Nový", false, "Ctrl+N", nullptr},
    {&ToolbarCommands::FOpen, "FOpen", "Otevřít", false, "Ctrl+O", nullptr},
    {&ToolbarCommands::Fsave, "Fsave", "Uložit", false, "Ctrl+S", nullptr},
    {&ToolbarCommands::SaveAs, "SaveAs", "Uložit Jako", false, "Ctrl+Shift+S", nullptr},
    {&ToolbarCommands::ImgMain, "ImgMain", "Obrázek přední strany", true, "Ctrl+I", nullptr},
    {&ToolbarCommands::ImgBack, "ImgBack", "Obrázek zadní strany", false, "Ctrl+Shift+I", nullptr},
    {&ToolbarCommands::ClrTxt, "ClrTxt", "Vymazat texty", true, "Ctrl+Shift+Delete", nullptr},
    {&ToolbarCommands::ZoomIn, "ZoomIn", "Zvětšit", true, "Ctrl++", "Ctrl+="},
    {&ToolbarCommands::ZoomOut, "ZoomOut", "Zmenšit", false, "Ctrl+-", nullptr},
    {&ToolbarCommands::ZoomDef, "ZoomDef", "Standartní velikost", false, "Ctrl+0", nullptr},
    {&ToolbarCommands::View, "View", "Náhled", true, "Ctrl+Shift+P", nullptr},
    {&ToolbarCommands::Tisk, "Tisk", "Tisk", false, "Ctrl+P", nullptr},
    {&ToolbarCommands::Info, "Info", "Informace", true, "Ctrl+F1", nullptr},
};

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

MainToolBar::MainToolBar(QWidget *parent)
    : QToolBar(parent)
    , m_texture(64, 29)
{
    // The buttons stand on a soft light band, drawn here rather than shipped as a
    // file and tiled along the bar; the platform style would paint its own panel in
    // the palette's plain colour instead.
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
    setObjectName(QStringLiteral("Bar"));
    auto *style = new ToolbarStyle(QApplication::style()->name());
    style->setParent(this);
    setStyle(style);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(20, 20));
    setFixedHeight(29);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setToolButtonStyle(Qt::ToolButtonIconOnly);

    for (const ToolbarEntry &entry : kToolbar) {
        if (entry.separatorBefore) {
            auto *gap = new QWidget(this);
            gap->setFixedSize(8, 23);
            addWidget(gap);
        }
        const QString name = QString::fromLatin1(entry.name);
        QAction *action = addAction(toolbarIcon(name), QString::fromUtf8(entry.caption));
        action->setObjectName(name);
        m_commands.*entry.command = action;
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
        if (QWidget *button = widgetForAction(action)) {
            button->setObjectName(name + QStringLiteral("Button"));
            button->setFixedSize(24, 23);
        }
    }
}

void MainToolBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawTiledPixmap(rect(), m_texture);
}

} // namespace korvel
