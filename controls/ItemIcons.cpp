#include "controls/ItemIcons.h"

#include <QPainter>
#include <QPixmap>

namespace korvel {

namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;

} // namespace

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
        const int x = alignment == kLeft ? 2 : alignment == kRight ? 14 - w : (16 - w) / 2;
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

} // namespace korvel
