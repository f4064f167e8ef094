#include "controls/TKivLabel.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace korvel {

TKivLabel::TKivLabel(QWidget *parent)
    : QWidget(parent), m_font3D(new TKivFont3D(this)), m_frame(new TKivFrame(this))
{
    // Only weight and size are set, so the family still comes from the form.
    QFont f;
    f.setBold(true);
    f.setPointSize(12);
    setFont(f);
    const QSignalBlocker quiet(m_frame);
    m_frame->setFrameStyle(frameNone);
}

TKivLabel::~TKivLabel() = default;

void TKivLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TKivLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TKivLabel::setWordWrap(bool on)
{
    m_wordWrap = on;
    update();
}

void TKivLabel::setTransparent(bool on)
{
    m_transparent = on;
    update();
}

void TKivLabel::setColor(ColorRef c)
{
    m_color = c;
    update();
}

void TKivLabel::setFontColor(ColorRef c)
{
    m_fontColor = c;
    update();
}

void TKivLabel::setFontBackground(TKivBackground *background)
{
    m_fontBackground.set(background);
}

void TKivLabel::setBackground(TKivBackground *background)
{
    m_background.set(background);
}

QRect TKivLabel::textRect() const
{
    const int fw = m_frame->frameWidth();
    return rect().adjusted(0, fw, -m_frame->totalWidth(), -fw);
}

int TKivLabel::textFlags() const
{
    int flags = int(m_alignment) | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextShowMnemonic;
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

void TKivLabel::paintTo(QPainter &canvas)
{
    QRect r = rect();
    if (!m_transparent) {
        canvas.fillRect(r, resolveColor(m_color));
        if (TKivBackground *bg = m_background.get())
            bg->paintBackground(canvas, width(), true, height());
    }
    const QColor ink = resolveColor(m_fontColor);
    if (TKivBackground *fill = m_fontBackground.get())
        fill->paintText(*m_font3D, font(), ink, textFlags(), m_caption, textRect(), canvas);
    else
        m_font3D->drawText3D(canvas, font(), ink, textRect(), m_caption, textFlags(), isEnabled());
    m_frame->drawFrame(canvas, r);
}

void TKivLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_fontBackground.get()) {
        paintTo(p);
        return;
    }
    // The text fill reads back what lies under the text, which a widget's
    // surface does not allow; it gets an image of its own.
    QImage buffer(size(), QImage::Format_ARGB32_Premultiplied);
    if (buffer.isNull())
        return;
    buffer.fill(Qt::transparent);
    {
        QPainter b(&buffer);
        paintTo(b);
    }
    p.drawImage(0, 0, buffer);
}

void TKivLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TKivLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
    QWidget::mouseReleaseEvent(event);
}

} // namespace korvel
