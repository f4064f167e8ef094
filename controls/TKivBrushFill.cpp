#include "controls/TKivBrushFill.h"

#include <QImage>
#include <QPainter>

namespace korvel {

TKivBrushFill::TKivBrushFill(QObject *parent) : QObject(parent) {}

void TKivBrushFill::setBrushStyle(TBrushStyle style)
{
    m_brushStyle = style;
    emit OnChange();
}

void TKivBrushFill::setBrushColor(ColorRef c)
{
    m_brushColor = c;
    emit OnChange();
}

void TKivBrushFill::assign(const TKivBrushFill &other)
{
    m_brushStyle = other.m_brushStyle;
    m_brushColor = other.m_brushColor;
    emit OnChange();
}

namespace {
Qt::BrushStyle qtPattern(TBrushStyle s)
{
    switch (s) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}
} // namespace

void TKivBrushFill::paint(QPainter &canvas, int W, int H, const QColor &gapColor) const
{
    if (W <= 0 || H <= 0)
        return;
    // Composed off-screen and copied in one block, so the two layers never show
    // one after the other.
    QImage a(W, H, QImage::Format_RGB32);
    if (a.isNull())
        return;
    a.fill(gapColor);
    {
        QPainter p(&a);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBackgroundMode(Qt::TransparentMode);
        p.fillRect(QRect(0, 0, W, H), QBrush(resolveColor(m_brushColor), qtPattern(m_brushStyle)));
    }
    canvas.drawImage(0, 0, a);
}

} // namespace korvel
