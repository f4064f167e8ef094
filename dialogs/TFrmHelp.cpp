#include "dialogs/TFrmHelp.h"

#include <QAction>
#include <QHideEvent>
#include <QPointer>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "dialogs/WindowPlacement.h"

namespace korvel {

TFrmHelp *TFrmHelp::showHelp(QWidget *owner)
{
    // A window without owner has nobody to keep it: it goes when it is closed.
    static QPointer<TFrmHelp> ownerless;
    TFrmHelp *help = owner ? owner->findChild<TFrmHelp *>(QString(), Qt::FindDirectChildrenOnly) : ownerless.data();
    if (!help) {
        help = new TFrmHelp(owner);
        if (!owner) {
            help->setAttribute(Qt::WA_DeleteOnClose);
            ownerless = help;
        }
    }
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

TFrmHelp::TFrmHelp(QWidget *owner)
    : QWidget(owner, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("FrmHelp"));
    setWindowTitle(QStringLiteral("Nápověda"));
    resize(640, 720);

    m_browser->setObjectName(QStringLiteral("Guide"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(guideUrl());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    // Escape puts the guide away, as it does in the program's dialogs.
    auto *close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

TFrmHelp::~TFrmHelp()
{
    if (isVisible())
        saveWindowPlacement(this, placementKey());
}

QUrl TFrmHelp::guideUrl()
{
    return QUrl(QStringLiteral("qrc:/help.html"));
}

QString TFrmHelp::placementKey()
{
    return QStringLiteral("Placement/TFrmHelp");
}

void TFrmHelp::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        // Placed once, when the window exists and its frame is known.
        m_placed = true;
        placeWindow(this, placementKey());
    }
    QWidget::showEvent(event);
}

void TFrmHelp::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        saveWindowPlacement(this, placementKey());
}

} // namespace korvel
