#include "app/PageCanvas.h"

#include <QPainter>

namespace korvel {

PageCanvas::PageCanvas(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PageCanvas"));
    setContextMenuPolicy(Qt::NoContextMenu);
}

void PageCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_page)
        return;
    // Fading from a light grey at the sheet's edge to the white of the canvas.
    const QRect sheet = m_page->geometry();
    for (int i = 0; i < kShadowWidth; ++i) {
        const int grey = 190 + (255 - 190) * i / kShadowWidth;
        painter.setPen(QColor(grey, grey, grey));
        painter.drawLine(sheet.right() + 1 + i, sheet.top() + i + 2, sheet.right() + 1 + i, sheet.bottom() + 1 + i);
        painter.drawLine(sheet.left() + i + 2, sheet.bottom() + 1 + i, sheet.right() + i, sheet.bottom() + 1 + i);
    }
}

} // namespace korvel
