#include "controls/TKivFrame.h"

#include <QPainter>
#include <QWidget>

namespace korvel {

TKivFrame::TKivFrame(QWidget *owner) : QObject(owner), m_owner(owner)
{
    recomputeTotalWidth();
}

void TKivFrame::changed()
{
    emit OnChange();
    if (m_owner)
        m_owner->update();
}

void TKivFrame::recomputeTotalWidth()
{
    switch (m_frameStyle) {
    case frameSolid:
    case frameRaised:
    case frameLowered:
        m_totalWidth = m_frameWidth;
        break;
    case frameNone:
        // The text keeps its distance from the edge even without a frame.
        m_totalWidth = 2;
        break;
    case frameFramedUp:
    case frameFramedDown:
        m_totalWidth = 2 * m_frameWidth + m_offset;
        break;
    case framePanelUp:
    case framePanelDown:
    case frameLightBordered:
        m_totalWidth = 2 * m_frameWidth;
        break;
    }
}

void TKivFrame::setFrameStyle(TKivFrameStyle style)
{
    m_frameStyle = style;
    recomputeTotalWidth();
    changed();
}

void TKivFrame::setHighlight(ColorRef c)
{
    m_highlight = c;
    changed();
}

void TKivFrame::setShadow(ColorRef c)
{
    m_shadow = c;
    changed();
}

void TKivFrame::setSolid(ColorRef c)
{
    m_solid = c;
    changed();
}

void TKivFrame::setOffset(int offset)
{
    if (offset < 0)
        return;
    m_offset = offset;
    recomputeTotalWidth();
    changed();
}

void TKivFrame::setFrameWidth(int width)
{
    if (width <= 0)
        return;
    m_frameWidth = width;
    recomputeTotalWidth();
    changed();
}

void TKivFrame::drawBevel(QPainter &canvas, QRect &r, ColorRef a, ColorRef b) const
{
    for (int ring = 0; ring < m_frameWidth; ++ring) {
        // The ring lies on the rectangle's outermost pixels.
        const int l = r.left(), t = r.top(), rt = r.right(), bt = r.bottom();
        if (rt >= l && bt >= t) {
            if (a != clNone) {
                const QColor c = resolveColor(a);
                canvas.fillRect(QRect(l, t, 1, bt - t + 1), c);
                if (rt > l)
                    canvas.fillRect(QRect(l, t, rt - l, 1), c);
            }
            if (b != clNone) {
                // Includes both corners: the bottom-left one is taken over from a.
                const QColor c = resolveColor(b);
                canvas.fillRect(QRect(rt, t, 1, bt - t + 1), c);
                canvas.fillRect(QRect(l, bt, rt - l + 1, 1), c);
            }
        }
        r.adjust(1, 1, -1, -1);
    }
}

void TKivFrame::drawFrame(QPainter &canvas, QRect &r) const
{
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    switch (m_frameStyle) {
    case frameSolid:
        drawBevel(canvas, r, m_solid, m_solid);
        break;
    case frameRaised:
        drawBevel(canvas, r, m_highlight, m_shadow);
        break;
    case frameLowered:
        drawBevel(canvas, r, m_shadow, m_highlight);
        break;
    case frameNone:
        break;
    case frameFramedUp:
        drawBevel(canvas, r, m_highlight, m_shadow);
        r.adjust(m_offset, m_offset, -m_offset, -m_offset);
        drawBevel(canvas, r, m_shadow, m_highlight);
        break;
    case frameFramedDown:
        drawBevel(canvas, r, m_shadow, m_highlight);
        r.adjust(m_offset, m_offset, -m_offset, -m_offset);
        drawBevel(canvas, r, m_highlight, m_shadow);
        break;
    case framePanelUp:
        drawBevel(canvas, r, m_highlight, clBlack);
        drawBevel(canvas, r, clNone, m_shadow);
        break;
    case framePanelDown:
        drawBevel(canvas, r, m_shadow, clNone);
        drawBevel(canvas, r, clBlack, m_highlight);
        break;
    case frameLightBordered:
        drawBevel(canvas, r, clNone, m_shadow);
        drawBevel(canvas, r, m_highlight, m_highlight);
        break;
    }
    canvas.restore();
}

} // namespace korvel
