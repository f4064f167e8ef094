#include "project/SpineBand.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "project/MulDiv.h"

namespace korvel {

SpineBand::SpineBand()
    : m_caption(QStringLiteral("Název CD"))
{
    m_font.name = QStringLiteral("Arial");
    m_font.height = -15;
    m_font.style = fsBold;
    m_font.color = clBlack;
}

bool SpineBand::State::operator==(const State &o) const
{
    return caption == o.caption && font == o.font && gradient.Visible == o.gradient.Visible
        && gradient.StartColor == o.gradient.StartColor && gradient.EndColor == o.gradient.EndColor
        && backImage.sameAs(o.backImage) && mode == o.mode;
}

SpineBand::State SpineBand::state() const
{
    return State{m_caption, m_font, m_gradient, m_backImage, m_mode};
}

void SpineBand::setState(const State &state)
{
    m_caption = state.caption;
    m_font = state.font;
    m_gradient = state.gradient;
    m_backImage = state.backImage.revived();
    m_mode = state.mode;
    changed();
}

void SpineBand::setCaption(const QString &caption)
{
    m_caption = caption;
    changed();
}

void SpineBand::setTitleFont(const ItemFont &font)
{
    m_font = font;
    changed();
}

void SpineBand::setGradientVisible(bool visible)
{
    m_gradient.Visible = visible;
    changed();
}

void SpineBand::setStartColor(ColorRef color)
{
    m_gradient.StartColor = color;
    changed();
}

void SpineBand::setEndColor(ColorRef color)
{
    m_gradient.EndColor = color;
    changed();
}

void SpineBand::setBackImage(const Picture &picture)
{
    m_backImage = picture;
    changed();
}

void SpineBand::clearBackImage()
{
    m_backImage.clear();
    changed();
}

void SpineBand::setBackImageMode(BackImageMode mode)
{
    m_mode = mode;
    changed();
}

void SpineBand::changed()
{
    if (m_onChanged)
        m_onChanged();
}

QColor SpineBand::gradientStepColor(const QColor &start, const QColor &end, int i, int n)
{
    const int d = n - 1;
    auto channel = [&](int s, int e) { return std::clamp(s + mulDiv(i, e - s, d), 0, 255); };
    if (d <= 0)
        return start;
    return QColor(channel(start.red(), end.red()), channel(start.green(), end.green()),
                  channel(start.blue(), end.blue()));
}

std::pair<int, int> SpineBand::gradientStepRows(int i, int n, int h)
{
    return {h - mulDiv(i + 1, h, n), h - mulDiv(i, h, n)};
}

void SpineBand::paint(QPainter &painter, const QRectF &target, DrawTarget where, PhotoPassThrough *photos,
                      const QRectF &background) const
{
    if (target.isEmpty())
        return;
    constexpr int W = kCanvasWidth;
    constexpr int H = kCanvasHeight;
    // The canvas of the background: the band's own, or the larger one it bleeds into.
    const bool bleeds = !background.isEmpty() && background != target;
    const QRectF ground = bleeds ? background : target;

    painter.save();
    painter.setClipRect(ground, Qt::IntersectClip);
    painter.translate(ground.topLeft());
    painter.scale(ground.width() / W, ground.height() / H);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // 1. Background: the gradient in min(H, 256) bands, StartColor at the bottom.
    if (m_gradient.Visible) {
        const QColor start = resolveColor(m_gradient.StartColor);
        const QColor end = resolveColor(m_gradient.EndColor);
        const int n = std::min(H, 256);
        for (int i = 0; i < n; ++i) {
            const auto [top, bottom] = gradientStepRows(i, n, H);
            if (bottom > top)
                painter.fillRect(QRectF(0, top, W, bottom - top), gradientStepColor(start, end, i, n));
        }
    } else {
        painter.fillRect(QRectF(0, 0, W, H), Qt::white);
    }

    // 2. Picture, over the background whatever the gradient setting.
    if (!m_backImage.isEmpty()) {
        if (m_mode == BackImageMode::pbmStretch) {
            m_backImage.draw(painter, QRectF(0, 0, W, H), where, photos);
        } else {
            const QSize own = m_backImage.size();
            if (own.width() > 0 && own.height() > 0) {
                painter.save();
                painter.setClipRect(QRectF(0, 0, W, H), Qt::IntersectClip);
                // Tiles keep their size and place on the band's own canvas; into a
                // bleed they are laid on, outward from the band.
                QRectF area(0, 0, W, H);
                if (bleeds) {
                    painter.scale(W / ground.width(), H / ground.height());
                    painter.translate(target.topLeft() - ground.topLeft());
                    painter.scale(target.width() / W, target.height() / H);
                    area = QRectF((ground.left() - target.left()) * W / target.width(),
                                  (ground.top() - target.top()) * H / target.height(), ground.width() * W / target.width(),
                                  ground.height() * H / target.height());
                }
                const int firstX = int(std::floor(area.left() / own.width())) * own.width();
                const int firstY = int(std::floor(area.top() / own.height())) * own.height();
                for (int y = firstY; y < area.bottom(); y += own.height())
                    for (int x = firstX; x < area.right(); x += own.width())
                        m_backImage.draw(painter, QRectF(QPointF(x, y), QSizeF(own)), where, photos);
                painter.restore();
            }
        }
    }

    if (bleeds) {
        // The title on the band's own canvas.
        painter.restore();
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
        painter.translate(target.topLeft());
        painter.scale(target.width() / W, target.height() / H);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    // 3. Title, running down the band with the letter tops facing the right edge,
    // its cell flush with the right inner margin and centred along the band.
    if (!m_caption.isEmpty()) {
        const QFont font = m_font.toQFontForHeight(m_font.height);
        const QFontMetrics metrics(font);
        const int left = mulDiv(3, W, 100);
        const int right = W - left;
        const int top = mulDiv(3, H, 100);
        const int bottom = H - top;
        const int h = metrics.ascent() + metrics.descent(); // height of "W"
        const qreal refX = right - h;
        const qreal refY = (top + bottom) / 2;
        const qreal length = QFontMetricsF(font).horizontalAdvance(m_caption);

        painter.save();
        painter.translate(refX, refY);
        painter.rotate(90); // 270 degrees counter-clockwise
        painter.setFont(font);
        painter.setPen(resolveColor(m_font.color));
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        // The reference point is the middle of the text on the descent side of its cell.
        painter.drawText(QPointF(-length / 2, -metrics.descent()), m_caption);
        painter.restore();
    }
    painter.restore();
}

} // namespace korvel
