#pragma once
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "controls/TKivBrushFill.h"
#include "controls/TKivGradient.h"
#include "controls/TKivTexture.h"
#include "project/Colors.h"
#include "settings/TKivComponent.h"

class QFont;
class QPainter;

namespace korvel {

class TKivFont3D;

// Which kind of background is painted. The stored ordinal is the position.
enum TKivBackStyle { bGradient, bTexture, bSolidcolor, bBrushFillUseCurrent, bBrushFillSolidColor };

// A non-visual component that fills a rectangle with a gradient, a texture, a
// solid colour or a hatch brush. Any number of controls paint with it; every
// change of a setting repaints all of them, in the order they were attached.
class TKivBackground : public TKivComponent {
Q_OBJECT
public:
    explicit TKivBackground(QObject *owner = nullptr);
    ~TKivBackground() override;

    TKivGradient *gradient() { return m_gradient; }
    const TKivGradient *gradient() const { return m_gradient; }
    TKivTexture *texture() { return m_texture; }
    const TKivTexture *texture() const { return m_texture; }
    TKivBrushFill *brushFill() { return m_brushFill; }
    const TKivBrushFill *brushFill() const { return m_brushFill; }
    // Copy every setting of the given object into the owned one.
    void setGradient(const TKivGradient &g);
    void setTexture(const TKivTexture &t);
    void setBrushFill(const TKivBrushFill &b);

    ColorRef solidColor() const { return m_solidColor; }
    void setSolidColor(ColorRef c);
    TKivBackStyle backgroundStyle() const { return m_backgroundStyle; }
    void setBackgroundStyle(TKivBackStyle style);

    // Called after every change, once the users were asked to repaint.
    TNotifyEvent OnChanged;

    // The controls that paint with this background. A control attached twice is
    // listed twice; removeUser takes out one entry. The list holds no ownership,
    // and a control destroyed without leaving it is skipped from then on.
    void addUser(QWidget *control);
    void removeUser(QWidget *control);
    QList<QWidget *> users() const;

    // Paints over (0, 0)-(width, height). normalOrder false runs the gradient from
    // EndColor to BeginColor. A gradient whose in-between colours cannot be read
    // paints nothing at all.
    void paintBackground(QPainter &canvas, int width, bool normalOrder, int height);

    // Paints text in rect with the 3D passes of font3d and the letters filled
    // with this background. The canvas is read back, so its painter should draw on
    // an image (a label paints through a buffer for that).
    void paintText(TKivFont3D &font3d, const QFont &font, const QColor &fontColor, int flags,
                   const QString &text, QRect rect, QPainter &canvas);

    // Asks every user to repaint, then calls OnChanged.
    void notifyUsers();

private:
    TKivTexture *m_texture;
    TKivGradient *m_gradient;
    TKivBrushFill *m_brushFill;
    ColorRef m_solidColor = clBtnFace;
    TKivBackStyle m_backgroundStyle = bGradient;
    QList<QPointer<QWidget>> m_users;
};

} // namespace korvel
