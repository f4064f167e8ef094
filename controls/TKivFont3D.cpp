#include "controls/TKivFont3D.h"

#include <QFont>
#include <QPainter>
#include <QWidget>

namespace korvel {

QFont aliasedFont(const QFont &font)
{
    QFont f(font);
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::NoAntialias));
    return f;
}

TKivFont3D::TKivFont3D(QWidget *owner) : QObject(owner), m_owner(owner) {}

void TKivFont3D::changed()
{
    emit OnChange();
    if (m_owner)
        m_owner->update();
}

void TKivFont3D::setThreeDimensional(bool on)
{
    m_threeDimensional = on;
    changed();
}

void TKivFont3D::setStyle3D(TKivStyle3D style)
{
    m_style3D = style;
    changed();
}

void TKivFont3D::setOffset(int offset)
{
    if (offset <= 0)
        return;
    m_offset = offset;
    changed();
}

void TKivFont3D::setRepetition(TKivRepeat side)
{
    m_repetition = side;
    changed();
}

void TKivFont3D::setRepetitionColor(ColorRef c)
{
    m_repetitionColor = c;
    changed();
}

void TKivFont3D::setRepetitionwidth(int width)
{
    if (width < 0)
        return;
    m_repetitionwidth = width;
    changed();
}

void TKivFont3D::setMaskFont(bool on)
{
    m_maskFont = on;
    changed();
}

void TKivFont3D::setShadow(ColorRef c)
{
    m_shadow = c;
    changed();
}

void TKivFont3D::setHighlight(ColorRef c)
{
    m_highlight = c;
    changed();
}

void TKivFont3D::drawStylePasses(QRect &r, const DrawPass &draw) const
{
    const QColor shadow = resolveColor(m_shadow);
    const QColor highlight = resolveColor(m_highlight);
    if (m_style3D == fontOutLineShadow) {
        // The outline is always one pixel wide, whatever Offset says.
        for (const QPoint d : {QPoint(-1, -1), QPoint(1, -1), QPoint(1, 1), QPoint(-1, 1)})
            draw(r.translated(d), shadow);
        return;
    }
    const int o = m_offset;
    const QColor first = m_style3D == fontInset ? shadow : highlight;
    const QColor second = m_style3D == fontInset ? highlight : shadow;
    r.translate(-o, -o);
    if (m_style3D != fontOnlyShadow)
        draw(r, first);
    r.translate(2 * o, 2 * o);
    if (m_style3D != fontOnlyHighlight)
        draw(r, second);
    r.translate(-o, -o);
}

void TKivFont3D::drawText3D(QPainter &canvas, const QFont &font, const QColor &fontColor, QRect r,
                            const QString &text, int flags, bool enabled) const
{
    canvas.save();
    // One private font for every pass; the caller's font and pen stay untouched.
    canvas.setFont(aliasedFont(font));
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setRenderHint(QPainter::TextAntialiasing, false);
    const int textFlags = flags | Qt::TextDontClip;
    const auto pass = [&](const QRect &at, const QColor &color) {
        canvas.setPen(color);
        canvas.drawText(at, textFlags, text);
    };

    if (!enabled) {
        pass(r, resolveColor(clBtnHighlight));
        r.translate(-1, -1);
        pass(r, resolveColor(clGrayText));
        canvas.restore();
        return;
    }
    if (!m_threeDimensional) {
        pass(r, fontColor);
        canvas.restore();
        return;
    }
    if (m_repetition != repeatNone) {
        // The extrusion trails away from the text towards its side; the text
        // itself then starts where the last copy ended.
        const int w = m_repetitionwidth, o = m_offset;
        const QColor color = resolveColor(m_repetitionColor);
        r.adjust(w, w, -w, -w);
        const int step = m_repetition == repeatOnShadow ? -1 : 1;
        r.translate(-step * o, -step * o);
        for (int n = 0; n < w; ++n) {
            pass(r, color);
            r.translate(step, step);
        }
    }
    drawStylePasses(r, pass);
    pass(r, fontColor);
    canvas.restore();
}

} // namespace korvel
