#include "controls/TKivOfficeButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace korvel {

namespace {

const QRgb kMaskRed = qRgb(255, 0, 0);

// A rounded outline (and fill, with a brush) inside the box from (l, t) to
// (r, b), right and bottom exclusive, corner ellipses of size x size.
void roundRect(QPainter &p, int l, int t, int r, int b, int size)
{
    if (r - l < 1 || b - t < 1)
        return;
    const qreal radius = size / 2.0;
    // An aliased outline covers both edges of its rectangle, hence one less.
    p.drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), radius, radius);
}

QPen pixelPen(ColorRef c)
{
    QPen pen(resolveColor(c), 1);
    pen.setCosmetic(true);
    return pen;
}

// The lamp's shading, relative to its box: light grey, then grey, then the
// light grey of the reflection.
constexpr QPoint kLampLight[] = {{4, 1}, {5, 1}, {6, 1}, {7, 1}, {3, 2}, {8, 2},
                                 {2, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {2, 8}};
constexpr QPoint kLampDark[] = {{9, 3}, {10, 4}, {10, 5}, {10, 6}, {10, 7}, {9, 8},
                                {8, 9}, {4, 10}, {5, 10}, {6, 10}, {7, 10}, {3, 9}};
constexpr QPoint kLampShine[] = {{4, 3}, {3, 4}, {4, 4}, {5, 4}, {4, 5}};

} // namespace

TKivOfficeButton::TKivOfficeButton(QWidget *parent) : QWidget(parent), m_font3D(new TKivFont3D(this))
{
    resize(100, 25);
}

TKivOfficeButton::~TKivOfficeButton() = default;

void TKivOfficeButton::setCaption(const QString &caption)
{
    if (caption != m_caption)
        m_caption = caption;
    update();
}

void TKivOfficeButton::setBorderColor(ColorRef c)
{
    m_borderColor = c;
    update();
}

void TKivOfficeButton::setFontColor(ColorRef c)
{
    m_fontColor = c;
    update();
}

void TKivOfficeButton::setLedNormal(ColorRef c)
{
    m_ledNormal = c;
    update();
}

void TKivOfficeButton::setLedIn(ColorRef c)
{
    m_ledIn = c;
}

void TKivOfficeButton::setLedOut(ColorRef c)
{
    m_ledOut = c;
}

void TKivOfficeButton::setRoundSize(int size)
{
    if (size == m_roundSize)
        return;
    m_roundSize = size;
    update();
}

void TKivOfficeButton::setBackground(TKivBackground *background)
{
    m_background.set(background);
}

QRect TKivOfficeButton::lampBox() const
{
    return QRect(7 + m_pressOffset, (height() - 10) / 2 + m_pressOffset, 10, 10);
}

QRect TKivOfficeButton::captionRect() const
{
    const QFontMetrics fm(aliasedFont(font()));
    const int tw = fm.horizontalAdvance(m_caption), th = fm.height();
    const int o = m_font3D->offset(), rw = m_font3D->repetitionwidth(), p = m_pressOffset;
    const int left = (width() - tw) / 2 - o - rw + 7 + p;
    const int top = (height() - th) / 2 - o - rw + p;
    const int right = (width() - tw) / 2 + o + rw + 7 + p + tw;
    const int bottom = (height() - th) / 2 + o + rw + p + th;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QImage TKivOfficeButton::face() const
{
    const int W = width(), H = height();
    QImage face(W, H, QImage::Format_RGB32);
    QImage mask(W, H, QImage::Format_RGB32);
    if (face.isNull() || mask.isNull())
        return {};
    face.fill(Qt::white);
    mask.fill(Qt::white);

    QPainter fp(&face);
    fp.setRenderHint(QPainter::Antialiasing, false);
    if (TKivBackground *bg = m_background.get())
        bg->paintBackground(fp, W, !(m_pressed && m_inside), H);

    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing, false);
        mp.setPen(pixelPen(clRed));
        mp.setBrush(QColor(kMaskRed));
        roundRect(mp, 3, 3, W - 3, H - 3, m_roundSize);
    }

    // The bevel: light above left, dark below right; swapped while pressed.
    fp.setBrush(Qt::NoBrush);
    fp.setPen(pixelPen(m_pressed ? clBtnShadow : clBtnHighlight));
    roundRect(fp, 2, 2, W - 3, H - 3, m_roundSize);
    fp.setPen(pixelPen(m_pressed ? clBtnHighlight : clBtnShadow));
    roundRect(fp, 3, 3, W - 1, H - 1, m_roundSize);
    fp.end();

    // Everything outside the rounded shape becomes white, the see-through colour.
    for (int y = 0; y < H; ++y) {
        const auto *m = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        auto *f = reinterpret_cast<QRgb *>(face.scanLine(y));
        for (int x = 0; x < W; ++x)
            if (m[x] != kMaskRed)
                f[x] = 0xFFFFFFFFu;
    }

    fp.begin(&face);
    fp.setRenderHint(QPainter::Antialiasing, false);
    fp.setBrush(Qt::NoBrush);
    fp.setPen(pixelPen(m_inside ? clBtnHighlight : m_borderColor));
    roundRect(fp, 2, 2, W - 2, H - 2, m_roundSize);
    fp.end();
    return face;
}

void TKivOfficeButton::paintTo(QPainter &canvas)
{
    const int W = width(), H = height();
    if (W <= 0 || H <= 0)
        return;
    // The face goes over what lies behind the button with the colour of its
    // top-left pixel (outside the shape) see-through: the corners, and a face
    // without a background, show the parent.
    QImage over = face();
    if (over.isNull())
        return;
    over = over.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = over.pixel(0, 0);
    for (int y = 0; y < H; ++y) {
        auto *line = reinterpret_cast<QRgb *>(over.scanLine(y));
        for (int x = 0; x < W; ++x)
            if (line[x] == key)
                line[x] = 0;
    }

    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.drawImage(0, 0, over);

    const QRect box = lampBox();
    const ColorRef lamp = !m_inside ? m_ledNormal : (m_pressed ? m_ledIn : m_ledOut);
    canvas.setPen(pixelPen(lamp));
    canvas.setBrush(resolveColor(lamp));
    canvas.drawEllipse(QRect(box.x() + 1, box.y() + 1, 9, 9));
    const QPoint origin = box.topLeft();
    const auto dots = [&](const auto &points, ColorRef c) {
        for (const QPoint d : points)
            canvas.fillRect(QRect(origin + d, QSize(1, 1)), resolveColor(c));
    };
    dots(kLampLight, clSilver);
    dots(kLampDark, clGray);
    dots(kLampShine, clSilver);

    m_font3D->drawText3D(canvas, font(), resolveColor(m_fontColor), captionRect(), m_caption,
                         Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                         isEnabled());
    canvas.restore();
}

void TKivOfficeButton::paintEvent(QPaintEvent *)
{
    // Qt paints the parent first, so what lies behind the button is already on
    // the surface; the look is composed off-screen and copied in one step.
    QPainter p(this);
    paintTo(p);
}

void TKivOfficeButton::pointerEntered()
{
    m_inside = true;
    m_pressOffset = m_pressed ? 1 : 0;
    repaint();
}

void TKivOfficeButton::pointerLeft()
{
    m_inside = false;
    m_pressOffset = 0;
    repaint();
}

void TKivOfficeButton::enterEvent(QEnterEvent *event)
{
    pointerEntered();
    QWidget::enterEvent(event);
}

void TKivOfficeButton::leaveEvent(QEvent *event)
{
    pointerLeft();
    QWidget::leaveEvent(event);
}

void TKivOfficeButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    if (!m_pressed) {
        m_pressed = true;
        m_pressOffset = 1;
        repaint();
    }
    QWidget::mousePressEvent(event);
}

void TKivOfficeButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_leftDown && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    if (m_pressed) {
        m_pressed = false;
        m_pressOffset = 0;
        repaint();
    }
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit OnClick();
}

void TKivOfficeButton::mouseMoveEvent(QMouseEvent *event)
{
    // While a button is held the mouse stays grabbed and no leave or enter
    // arrives until it is released; dragging off the button must still show the
    // button as left, and dragging back on as entered.
    if (event->buttons() != Qt::NoButton) {
        const bool over = rect().contains(event->position().toPoint());
        if (over && !m_inside)
            pointerEntered();
        else if (!over && m_inside)
            pointerLeft();
    }
    QWidget::mouseMoveEvent(event);
}

void TKivOfficeButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace korvel
