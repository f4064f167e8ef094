#include "controls/TKivBackground.h"

#include <QImage>
#include <QPainter>

#include "controls/TKivFont3D.h"

namespace korvel {

TKivBackground::TKivBackground(QObject *owner)
    : TKivComponent(owner),
      m_texture(new TKivTexture(this)),
      m_gradient(new TKivGradient(this)),
      m_brushFill(new TKivBrushFill(this))
{
    connect(m_texture, &TKivTexture::OnChange, this, &TKivBackground::notifyUsers);
    connect(m_gradient, &TKivGradient::OnChange, this, &TKivBackground::notifyUsers);
    connect(m_brushFill, &TKivBrushFill::OnChange, this, &TKivBackground::notifyUsers);
}

TKivBackground::~TKivBackground()
{
    // The settings objects are children and die with us; they must not call back
    // into a half-destroyed background on their way out.
    disconnect(m_texture, nullptr, this, nullptr);
    disconnect(m_gradient, nullptr, this, nullptr);
    disconnect(m_brushFill, nullptr, this, nullptr);
    // The users are not told here: they watch destroyed() and drop their
    // reference themselves.
    m_users.clear();
}

void TKivBackground::setGradient(const TKivGradient &g)
{
    const QSignalBlocker quiet(m_gradient);
    m_gradient->assign(g);
    notifyUsers();
}

void TKivBackground::setTexture(const TKivTexture &t)
{
    const QSignalBlocker quiet(m_texture);
    m_texture->assign(t);
    notifyUsers();
}

void TKivBackground::setBrushFill(const TKivBrushFill &b)
{
    const QSignalBlocker quiet(m_brushFill);
    m_brushFill->assign(b);
    notifyUsers();
}

void TKivBackground::setSolidColor(ColorRef c)
{
    m_solidColor = c;
    notifyUsers();
}

void TKivBackground::setBackgroundStyle(TKivBackStyle style)
{
    m_backgroundStyle = style;
    notifyUsers();
}

void TKivBackground::addUser(QWidget *control)
{
    if (control)
        m_users.append(QPointer<QWidget>(control));
}

void TKivBackground::removeUser(QWidget *control)
{
    m_users.removeIf([](const QPointer<QWidget> &u) { return u.isNull(); });
    for (qsizetype i = 0; i < m_users.size(); ++i)
        if (m_users[i] == control) {
            m_users.removeAt(i);
            return;
        }
}

QList<QWidget *> TKivBackground::users() const
{
    QList<QWidget *> list;
    for (const QPointer<QWidget> &u : m_users)
        if (u)
            list.append(u.data());
    return list;
}

void TKivBackground::notifyUsers()
{
    // A copy: a repaint request must not be able to change the list under us.
    const QList<QPointer<QWidget>> users = m_users;
    for (const QPointer<QWidget> &u : users)
        if (u)
            u->update();
    if (OnChanged)
        OnChanged(this);
}

void TKivBackground::paintBackground(QPainter &canvas, int width, bool normalOrder, int height)
{
    if (width <= 0 || height <= 0)
        return;
    switch (m_backgroundStyle) {
    case bGradient: {
        // Composed off-screen and copied in one block, so no step is ever seen
        // on its own; an unreadable colour list leaves the surface untouched.
        const QImage image = m_gradient->render(width, height, normalOrder);
        if (!image.isNull())
            canvas.drawImage(0, 0, image);
        break;
    }
    case bTexture:
        m_texture->paint(canvas, width, height, m_solidColor);
        break;
    case bSolidcolor:
        canvas.fillRect(QRect(0, 0, width, height), resolveColor(m_solidColor));
        break;
    case bBrushFillUseCurrent:
        m_brushFill->paint(canvas, width, height, Qt::white);
        break;
    case bBrushFillSolidColor:
        m_brushFill->paint(canvas, width, height, resolveColor(m_solidColor));
        break;
    }
}

void TKivBackground::paintText(TKivFont3D &font3d, const QFont &font, const QColor &fontColor, int flags,
                               const QString &text, QRect r, QPainter &canvas)
{
    // The work area reaches to the far corner of the text rectangle, so a
    // rectangle that does not start at the origin is not cut at its far edges.
    const int W = r.x() + r.width(), H = r.y() + r.height();
    if (W <= 0 || H <= 0)
        return;

    // 1. Snapshot of what is already painted under the text.
    QImage snapshot(W, H, QImage::Format_ARGB32_Premultiplied);
    if (snapshot.isNull())
        return;
    snapshot.fill(Qt::transparent);
    bool readBack = false;
    if (canvas.device() && canvas.device()->devType() == QInternal::Image
        && canvas.deviceTransform().type() <= QTransform::TxTranslate) {
        const auto *device = static_cast<const QImage *>(canvas.device());
        const QPoint origin = canvas.deviceTransform().map(QPoint(0, 0));
        QPainter p(&snapshot);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), *device, QRect(origin, QSize(W, H)));
        readBack = true;
    }
    const int rw = font3d.repetitionwidth();
    r.adjust(rw, 0, -rw, 0);

    const QFont textFont = aliasedFont(font);
    const int textFlags = flags | Qt::TextDontClip;

    // 2. The 3D passes onto the snapshot.
    if (font3d.threeDimensional()) {
        QPainter p(&snapshot);
        p.setFont(textFont);
        p.setBackgroundMode(Qt::TransparentMode);
        const auto pass = [&](const QRect &at, const QColor &color) {
            p.setPen(color);
            p.drawText(at, textFlags, text);
        };
        const QColor repColor = resolveColor(font3d.repetitionColor());
        if (font3d.repetition() == repeatOnShadow) {
            r.translate(rw, rw);
            for (int n = 0; n < rw; ++n) {
                pass(r, repColor);
                r.translate(-1, -1);
            }
        } else if (font3d.repetition() == repeatOnHighLight) {
            for (int n = 0; n < rw; ++n) {
                pass(r, repColor);
                r.translate(1, 1);
            }
        }
        font3d.drawStylePasses(r, pass);
    }

    // 3. The letters filled with this background.
    QImage fill(W, H, QImage::Format_RGB32);
    fill.fill(Qt::white);
    {
        QPainter p(&fill);
        paintBackground(p, W, true, H);
    }
    // The text alone, on a ground that cannot be mistaken for the text colour.
    const QRgb ink = fontColor.rgb();
    const QColor ground = qGray(ink) > 127 ? Qt::black : Qt::white;
    QImage letters(W, H, QImage::Format_RGB32);
    letters.fill(ground);
    {
        QPainter p(&letters);
        p.setFont(textFont);
        p.setPen(QColor(ink));
        p.drawText(r, textFlags, text);
    }
    // Without MaskFont the letters are keyed like a picture: where the fill shows
    // the colour of its top-left corner inside a letter, the letter is see-through.
    const bool keyed = !font3d.maskFont();
    const QRgb key = letters.pixel(0, 0) == ink ? fill.pixel(0, 0) : ground.rgb();
    for (int y = 0; y < H; ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(letters.constScanLine(y));
        const auto *f = reinterpret_cast<const QRgb *>(fill.constScanLine(y));
        auto *s = reinterpret_cast<QRgb *>(snapshot.scanLine(y));
        for (int x = 0; x < W; ++x)
            if (l[x] == ink && !(keyed && f[x] == key))
                s[x] = f[x] | 0xFF000000u;
    }

    // 4. Everything back to the canvas in one copy.
    canvas.save();
    if (readBack)
        canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(0, 0, snapshot);
    canvas.restore();
}

} // namespace korvel
