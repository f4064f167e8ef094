#pragma once
#include <QObject>

#include "project/Colors.h"

class QPainter;

namespace korvel {

// The hatch patterns a brush fill can use.
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Settings of a hatch-brush background. Every setter fires OnChange, even with an
// equal value.
class TKivBrushFill : public QObject {
Q_OBJECT
public:
    explicit TKivBrushFill(QObject *parent = nullptr);

    TBrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(TBrushStyle style);
    ColorRef brushColor() const { return m_brushColor; }
    void setBrushColor(ColorRef c);

    void assign(const TKivBrushFill &other);

    // Paints the pattern in BrushColor over (0, 0)-(width, height) of the
    // surface, its gaps in gapColor. The pattern is anchored at the surface's
    // origin, so neighbouring controls continue it seamlessly.
    void paint(QPainter &canvas, int width, int height, const QColor &gapColor) const;

signals:
    void OnChange();

private:
    TBrushStyle m_brushStyle = bsSolid;
    ColorRef m_brushColor = clBtnFace;
};

} // namespace korvel
