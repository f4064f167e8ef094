#pragma once
#include <QObject>
#include <QStringList>
#include <optional>
#include <vector>

#include "project/Colors.h"

class QImage;

namespace korvel {

// Shape of the colour steps of a gradient. The stored ordinal is the position.
enum class TKivFillStyle {
    Circle,
    Horizontal,
    Vertical,
    LeftBottom,
    RoundMiddle,
    SquareMiddle,
    Spectral,
    DoppelFlash,
    Singleflash,
    MiddleHBar,
    MiddleVBar,
    VerticalDoppelBar,
    HorizontalDoppelBar
};

// Settings of a multi-colour gradient. Every setter fires OnChange, even when the
// value does not change, so the owner of the settings can repaint its users.
class TKivGradient : public QObject {
Q_OBJECT
public:
    explicit TKivGradient(QObject *parent = nullptr);

    TKivFillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(TKivFillStyle style);
    ColorRef beginColor() const { return m_beginColor; }
    void setBeginColor(ColorRef c);
    ColorRef endColor() const { return m_endColor; }
    void setEndColor(ColorRef c);
    int noOfColors() const { return m_noOfColors; }
    void setNoOfColors(int n);
    QStringList colorsInbetween() const { return m_colorsInbetween; }
    void setColorsInbetween(const QStringList &lines);

    // Copies every setting of other, firing OnChange once.
    void assign(const TKivGradient &other);

    // The colours the gradient runs through: BeginColor, the in-between colours in
    // their listed order, EndColor; with normalOrder false the two ends swap places
    // but the in-between colours keep their order. Nothing when an in-between line
    // is not a colour.
    std::optional<std::vector<ColorRef>> colorList(bool normalOrder) const;

    // Paints the gradient over a width x height image. Returns a null image when a
    // line of ColorsInbetween is not a colour or the size is empty.
    QImage render(int width, int height, bool normalOrder) const;

signals:
    void OnChange();

private:
    TKivFillStyle m_fillStyle = TKivFillStyle::Horizontal;
    ColorRef m_beginColor = clSilver;
    ColorRef m_endColor = clGray;
    int m_noOfColors = 32;
    QStringList m_colorsInbetween;
};

} // namespace korvel
