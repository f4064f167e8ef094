#include "app/PageView.h"

#include <QPaintEvent>
#include <QPainter>

#include "project/CoverPage.h"

namespace korvel {

PageView::PageView(CoverPage &page, QWidget *parent)
    : QWidget(parent)
    , m_page(page)
{
    setObjectName(QStringLiteral("QR"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::NoContextMenu); // the window's popup menu serves the page too
    setAccessibleName(QStringLiteral("Obal na listu A4"));
    resizeToPage();
    connect(&m_page, &CoverPage::changed, this, [this](const QRect &r) { update(r); });
    connect(&m_page, &CoverPage::zoomChanged, this, [this] {
        resizeToPage();
        update();
    });
}

void PageView::resizeToPage()
{
    setFixedSize(m_page.pixelSize());
}

void PageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(event->rect(), Qt::white);
    m_page.paintScreen(painter);
    // The sheet's edge is the canvas's shadow around this view (PageCanvas).
}

} // namespace korvel
