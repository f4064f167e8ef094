#pragma once
#include <QWidget>

#include "controls/BackgroundLink.h"
#include "controls/TKivFont3D.h"
#include "project/Colors.h"

class QEnterEvent;

namespace korvel {

// A windowless push button with rounded corners, a round status lamp at its
// left and a 3D caption, drawn over whatever lies behind it. The pointer over it
// lights the outer outline and the lamp; pressing it swaps the bevel outlines
// and shifts lamp and caption one pixel right and down.
class TKivOfficeButton : public QWidget {
Q_OBJECT
public:
    explicit TKivOfficeButton(QWidget *parent = nullptr);
    ~TKivOfficeButton() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    ColorRef borderColor() const { return m_borderColor; }
    void setBorderColor(ColorRef c);
    ColorRef fontColor() const { return m_fontColor; }
    void setFontColor(ColorRef c);
    // The lamp while the pointer is not over the button.
    ColorRef ledNormal() const { return m_ledNormal; }
    void setLedNormal(ColorRef c);
    // The lamp while pressed with the pointer over the button; shows at the next paint.
    ColorRef ledIn() const { return m_ledIn; }
    void setLedIn(ColorRef c);
    // The lamp while hovered and not pressed; shows at the next paint.
    ColorRef ledOut() const { return m_ledOut; }
    void setLedOut(ColorRef c);
    // Width and height of the corner ellipses of every rounded outline.
    int roundSize() const { return m_roundSize; }
    void setRoundSize(int size);
    TKivFont3D *font3D() const { return m_font3D; }
    TKivBackground *background() const { return m_background.get(); }
    void setBackground(TKivBackground *background);

    bool isInside() const { return m_inside; }
    bool isPressed() const { return m_pressed; }
    int pressOffset() const { return m_pressOffset; }

    // Where the lamp and the caption go in the current state.
    QRect lampBox() const;
    QRect captionRect() const;

    // Paints the button over what canvas already holds at the button's place,
    // with the button's top-left at the canvas origin.
    void paintTo(QPainter &canvas);

signals:
    // A press and release of the left button over the button.
    void OnClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void pointerEntered();
    void pointerLeft();
    QImage face() const;

    int m_roundSize = 20;
    ColorRef m_borderColor = clGray;
    BackgroundLink m_background{this};
    ColorRef m_ledIn = clAqua;
    ColorRef m_ledOut = clTeal;
    ColorRef m_ledNormal = clNavy;
    ColorRef m_fontColor = clWindowText;
    TKivFont3D *m_font3D;
    QString m_caption;
    bool m_inside = false;
    bool m_pressed = false;
    bool m_leftDown = false;
    int m_pressOffset = 0;
};

} // namespace korvel
