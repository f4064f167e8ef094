#include "controls/TKivFillBackground.h"

#include <QPainter>

namespace korvel {

TKivFillBackground::TKivFillBackground(QWidget *parent) : QWidget(parent)
{
    resize(150, 150);
}

TKivFillBackground::~TKivFillBackground() = default;

void TKivFillBackground::setBackground(TKivBackground *background)
{
    m_background.set(background);
}

void TKivFillBackground::setAutoSize(bool on)
{
    m_autoSize = on;
    update();
}

void TKivFillBackground::paintTo(QPainter &canvas)
{
    if (TKivBackground *bg = m_background.get())
        bg->paintBackground(canvas, width(), true, height());
}

void TKivFillBackground::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintTo(p);
}

} // namespace korvel
