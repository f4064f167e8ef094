#include "controls/TKivGradient.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "project/MulDiv.h"

namespace korvel {

TKivGradient::TKivGradient(QObject *parent) : QObject(parent) {}

void TKivGradient::setFillStyle(TKivFillStyle style)
{
    m_fillStyle = style;
    emit OnChange();
}

void TKivGradient::setBeginColor(ColorRef c)
{
    m_beginColor = c;
    emit OnChange();
}

void TKivGradient::setEndColor(ColorRef c)
{
    m_endColor = c;
    emit OnChange();
}

void TKivGradient::setNoOfColors(int n)
{
    m_noOfColors = n;
    emit OnChange();
}

void TKivGradient::setColorsInbetween(const QStringList &lines)
{
    m_colorsInbetween = lines;
    emit OnChange();
}

void TKivGradient::assign(const TKivGradient &other)
{
    if (&other == this) {
        emit OnChange();
        return;
    }
    m_fillStyle = other.m_fillStyle;
    m_beginColor = other.m_beginColor;
    m_endColor = other.m_endColor;
    m_noOfColors = other.m_noOfColors;
    m_colorsInbetween = other.m_colorsInbetween;
    emit OnChange();
}

std::optional<std::vector<ColorRef>> TKivGradient::colorList(bool normalOrder) const
{
    std::vector<ColorRef> list;
    list.reserve(std::size_t(m_colorsInbetween.size()) + 2);
    list.push_back(normalOrder ? m_beginColor : m_endColor);
    for (const QString &line : m_colorsInbetween) {
        const std::optional<ColorRef> c = stringToColor(line);
        if (!c)
            return std::nullopt;
        list.push_back(*c);
    }
    list.push_back(normalOrder ? m_endColor : m_beginColor);
    return list;
}

namespace {

// Rounding of the segment sizes: to the nearest integer, halves to the even
// neighbour (the default floating-point rounding mode).
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

// Fills the rectangle between two corners. Steps near the edges compute corners
// in either order, and a rectangle given "upside down" is still filled between
// its two edges.
void fillBetween(QPainter &p, int x1, int y1, int x2, int y2, const QColor &c)
{
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r > l && b > t)
        p.fillRect(QRect(l, t, r - l, b - t), c);
}

// An ellipse inside the box from (l, t) to (r, b), right and bottom exclusive,
// outlined with the current pen and filled with the current brush.
void ellipseBetween(QPainter &p, int x1, int y1, int x2, int y2)
{
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1)
        return;
    // An aliased outline covers both edges of its rectangle, hence one less.
    p.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
}

struct Rgb {
    int r, g, b;
};

Rgb channels(ColorRef c)
{
    const QColor q = resolveColor(c);
    return {q.red(), q.green(), q.blue()};
}

// Colour of step i of n between a and b. A channel that comes out as 0 is
// painted as 1, so no step is ever pure black: a copy of the gradient through a
// black colour key keeps every step.
QColor stepColor(const Rgb &a, const Rgb &b, int i, int n)
{
    auto channel = [&](int from, int to) {
        const int v = n < 2 ? from : from + mulDiv(i, to - from, n - 1);
        return v == 0 ? 1 : v;
    };
    return QColor(channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b));
}

} // namespace

QImage TKivGradient::render(int W, int H, bool normalOrder) const
{
    const std::optional<std::vector<ColorRef>> list = colorList(normalOrder);
    if (!list || W <= 0 || H <= 0)
        return {};
    QImage image(W, H, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(resolveColor(list->front()));

    const int N = m_noOfColors;
    if (N <= 0)
        return image;

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    const int q = int(list->size()) - 1;
    const double Hq = double(H) / q, Wq = double(W) / q;
    const int Hs0 = roundEven(Hq), Ws0 = roundEven(Wq);
    // Each segment is one pixel larger than its share so that rounding never
    // leaves a gap between two segments.
    const int Hs = Hs0 + 1, Ws = Ws0 + 1;

    for (int s = 0; s < q; ++s) {
        const Rgb from = channels((*list)[std::size_t(s)]);
        const Rgb to = channels((*list)[std::size_t(s) + 1]);
        for (int i = 0; i < N; ++i) {
            const QColor color = stepColor(from, to, i, N);
            QPen pen(color, 1);
            pen.setCosmetic(true);
            p.setPen(pen);
            p.setBrush(color);
            switch (m_fillStyle) {
            case TKivFillStyle::Horizontal: {
                const int o = Hs * s;
                fillBetween(p, 0, o + mulDiv(i, Hs, N), W, o + mulDiv(i + 2, Hs, N), color);
                break;
            }
            case TKivFillStyle::Vertical: {
                const int o = Ws * s;
                fillBetween(p, o + mulDiv(i, Ws, N), 0, o + mulDiv(i + 2, Ws, N), H, color);
                break;
            }
            case TKivFillStyle::Circle:
            case TKivFillStyle::Spectral: {
                const bool spectral = m_fillStyle == TKivFillStyle::Spectral;
                const QColor mirror = spectral ? stepColor(from, to, N - 1 - i, N) : color;
                QPen mirrorPen(mirror, 1);
                mirrorPen.setCosmetic(true);
                const int oy = Hs * s, ox = Ws * s;
                // Every line runs through the centre; its end lies on the far
                // edge, just outside the picture, so the end pixel never shows.
                for (int j = mulDiv(i, Ws, N); j <= mulDiv(i + 2, Ws, N); ++j) {
                    p.setPen(spectral && j % 2 == 0 ? mirrorPen : pen);
                    p.drawLine(ox + j, 0, W - j - ox, H);
                }
                for (int k = mulDiv(i, Hs, N); k <= mulDiv(i + 2, Hs, N); ++k) {
                    p.setPen(spectral && k % 2 == 0 ? mirrorPen : pen);
                    p.drawLine(0, oy + k, W, H - k - oy);
                }
                break;
            }
            case TKivFillStyle::LeftBottom: {
                const int oy = Hs * s, ox = Ws * s;
                const int x = ox + mulDiv(i, Ws, N), y = oy + mulDiv(i, Hs, N);
                fillBetween(p, x, y, x + W - mulDiv(i, Ws, N), y + H - mulDiv(i, Hs, N), color);
                break;
            }
            case TKivFillStyle::RoundMiddle: {
                const int ox = roundEven(Ws * 0.5 * s) + 1, oy = roundEven(Hs * 0.5 * s) + 1;
                const int x = mulDiv(i, roundEven(Ws * 0.5) + 1, N);
                const int y = mulDiv(i, roundEven(Hs * 0.5) + 1, N);
                ellipseBetween(p, ox + x, oy + y, W - x - ox, H - y - oy);
                break;
            }
            case TKivFillStyle::SquareMiddle: {
                const int ox = roundEven(Ws0 * 0.5 * s), oy = roundEven(Hs0 * 0.5 * s);
                const int x = mulDiv(i, roundEven(Ws0 * 0.5), N), y = mulDiv(i, roundEven(Hs0 * 0.5), N);
                const int l = ox + x, t = oy + y;
                fillBetween(p, l, t, l + W - 2 * x - 2 * ox, t + H - 2 * y - 2 * oy, color);
                break;
            }
            case TKivFillStyle::DoppelFlash: {
                const int oy = Hs * s + 1, ox = Ws * s + 1;
                const int x = mulDiv(i, Ws, N), y = mulDiv(i, Hs, N);
                ellipseBetween(p, ox + x, oy + y, W, H);
                ellipseBetween(p, W - x - ox, H - y - oy, 0, 0);
                break;
            }
            case TKivFillStyle::Singleflash: {
                const int oy = Hs0 * s, ox = Ws0 * s;
                const int x = mulDiv(i, Ws0, N), y = mulDiv(i, Hs0, N);
                ellipseBetween(p, ox + x, oy + y, W, H);
                break;
            }
            case TKivFillStyle::MiddleHBar: {
                const int o = roundEven(Hs * 0.5 * s) + 1, g = roundEven(Hs * 0.5);
                const int yA = H - mulDiv(i, g + 1, N), yB = H - mulDiv(i + 2, g + 1, N);
                fillBetween(p, 0, yA - o - 1, W, yB - o - 1, color);
                const int top = o + mulDiv(i, g, N);
                fillBetween(p, 0, top, W, top + mulDiv(i + 2, g, N) - mulDiv(i, g, N) + 1, color);
                break;
            }
            case TKivFillStyle::MiddleVBar: {
                const int o = roundEven(Ws * 0.5 * s) + 1, g = roundEven(Ws * 0.5);
                const int xA = W - mulDiv(i, g + 1, N), xB = W - mulDiv(i + 2, g + 1, N);
                fillBetween(p, xA - o - 1, 0, xB - o - 1, H, color);
                const int left = o + mulDiv(i, g, N);
                fillBetween(p, left, 0, left + mulDiv(i + 2, g, N) - mulDiv(i, g, N) + 1, H, color);
                break;
            }
            case TKivFillStyle::VerticalDoppelBar: {
                const double t = Ws / 3.0;
                const int o = roundEven(t * s) + 1;
                const int a = mulDiv(i, roundEven(t) + 1, N), b = mulDiv(i + 1, roundEven(t) + 1, N);
                const int T = roundEven(W / 3.0);
                for (const int x : {o + a, 2 * T - b - o, 2 * T + o + a})
                    fillBetween(p, x, 0, x + b - a, H, color);
                break;
            }
            case TKivFillStyle::HorizontalDoppelBar: {
                const double t = Hs / 3.0;
                const int o = roundEven(t * s) + 1;
                const int a = mulDiv(i, roundEven(t) + 1, N), b = mulDiv(i + 1, roundEven(t) + 1, N);
                const int T = roundEven(H / 3.0);
                for (const int y : {o + a, 2 * T - b - o, 2 * T + o + a})
                    fillBetween(p, 0, y, W, y + b - a, color);
                break;
            }
            }
        }
    }
    p.end();
    return image;
}

} // namespace korvel
