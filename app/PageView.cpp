#include "app/PageView.h"

#include <QPaintEvent>
#include <QPainter>

#include "project/CoverPage.h"
#include "project/SheetView.h"

namespace korvel {

PageView::PageView(CoverPage &page, QWidget *parent)
    : QWidget(parent)
    , m_page(page)
    , m_view(new SheetView(page, this))
{
    setObjectName(QStringLiteral("QR"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::NoContextMenu); // the window's popup menu serves the page too
    setAccessibleName(QStringLiteral("Obal na listu A4"));
    resizeToPage();
    connect(m_view, &SheetView::changed, this, [this](const QRect &r) { update(r); });
    connect(m_view, &SheetView::zoomChanged, this, [this] {
        resizeToPage();
        update();
    });
    // A disc label's sheet changes its size with the sheet the user chooses.
    connect(m_view, &SheetView::resized, this, [this] {
        resizeToPage();
        update();
    });
}

void PageView::resizeToPage()
{
    setFixedSize(m_view->pixelSize());
}

void PageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(event->rect(), Qt::white);
    m_view->paint(painter);
    // The sheet's edge is the canvas's shadow around this view (PageCanvas).
}

} // namespace korvel
