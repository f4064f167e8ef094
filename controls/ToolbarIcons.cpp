#include "controls/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace korvel {

namespace {

void sheet(QPainter &p, QColor fill = Qt::white)
{
    QPainterPath path;
    path.moveTo(4, 1.5);
    path.lineTo(12, 1.5);
    path.lineTo(16, 5.5);
    path.lineTo(16, 18.5);
    path.lineTo(4, 18.5);
    path.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(fill);
    p.drawPath(path);
}

void magnifier(QPainter &p, const QString &sign)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(2, 2, 11, 11));
    p.drawLine(QPointF(12, 12), QPointF(18, 18));
    p.setPen(QPen(QColor(20, 20, 120), 1.5));
    if (sign == QLatin1String("+") || sign == QLatin1String("-"))
        p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
    if (sign == QLatin1String("+"))
        p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
    if (sign == QLatin1String("1")) {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(2, 2, 11, 11), Qt::AlignCenter, QStringLiteral("1"));
    }
}

void picture(QPainter &p, QColor sky)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(sky);
    p.drawRect(QRectF(1.5, 3.5, 17, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 140, 40));
    QPolygonF hill{{2, 16}, {8, 8}, {12, 12}, {14, 10}, {18, 16}};
    p.drawPolygon(hill);
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QRectF(12, 5, 4, 4));
}

} // namespace

QIcon toolbarIcon(const QString &name)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("FNew")) {
        sheet(p);
    } else if (name == QLatin1String("FOpen")) {
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 5.5, 16, 11));
        p.setBrush(QColor(250, 225, 130));
        p.drawPolygon(QPolygonF{{1.5, 16.5}, {5, 9.5}, {19, 9.5}, {16.5, 16.5}});
    } else if (name == QLatin1String("Fsave") || name == QLatin1String("SaveAs")) {
        p.setPen(QPen(QColor(20, 30, 90), 1));
        p.setBrush(QColor(60, 90, 180));
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(5.5, 11.5, 9, 6));
        if (name == QLatin1String("SaveAs")) {
            p.setPen(QPen(QColor(200, 60, 20), 2));
            p.drawLine(QPointF(11, 18), QPointF(18, 11));
        }
    } else if (name == QLatin1String("ImgMain")) {
        picture(p, QColor(150, 200, 250));
    } else if (name == QLatin1String("ImgBack")) {
        picture(p, QColor(250, 190, 150));
    } else if (name == QLatin1String("ClrTxt")) {
        sheet(p);
        p.setPen(QPen(QColor(190, 20, 20), 2));
        p.drawLine(QPointF(6, 7), QPointF(14, 15));
        p.drawLine(QPointF(14, 7), QPointF(6, 15));
    } else if (name == QLatin1String("ZoomIn")) {
        magnifier(p, QStringLiteral("+"));
    } else if (name == QLatin1String("ZoomOut")) {
        magnifier(p, QStringLiteral("-"));
    } else if (name == QLatin1String("ZoomDef")) {
        magnifier(p, QStringLiteral("1"));
    } else if (name == QLatin1String("View")) {
        sheet(p);
        magnifier(p, QString());
    } else if (name == QLatin1String("Tisk")) {
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 1.5, 9, 7));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(1.5, 7.5, 17, 8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 12.5, 9, 6));
    } else if (name == QLatin1String("Info")) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 80, 180));
        p.drawEllipse(QRectF(1, 1, 18, 18));
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPixelSize(14);
        f.setBold(true);
        f.setItalic(true);
        p.setFont(f);
        p.drawText(QRectF(1, 1, 18, 18), Qt::AlignCenter, QStringLiteral("i"));
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace korvel
