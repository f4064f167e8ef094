#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>

#include "project/Colors.h"

class QPainter;
class QWidget;

namespace korvel {

// Kind of frame. The stored ordinal is the position.
enum TKivFrameStyle {
    frameSolid,
    frameRaised,
    frameLowered,
    frameNone,
    frameFramedUp,
    frameFramedDown,
    framePanelUp,
    framePanelDown,
    frameLightBordered
};

// A rectangular bevel or line frame. Owned by a label; every accepted change
// fires OnChange and asks the label to repaint.
class TKivFrame : public QObject {
Q_OBJECT
public:
    explicit TKivFrame(QWidget *owner = nullptr);

    TKivFrameStyle frameStyle() const { return m_frameStyle; }
    void setFrameStyle(TKivFrameStyle style);
    ColorRef highlight() const { return m_highlight; }
    void setHighlight(ColorRef c);
    ColorRef shadow() const { return m_shadow; }
    void setShadow(ColorRef c);
    ColorRef solid() const { return m_solid; }
    void setSolid(ColorRef c);
    // Gap between the two bevels of the framed styles; negative values are ignored.
    int offset() const { return m_offset; }
    void setOffset(int offset);
    // Width of one bevel; 0 or less is ignored.
    int frameWidth() const { return m_frameWidth; }
    void setFrameWidth(int width);
    // Thickness of the whole frame, from FrameStyle, FrameWidth and Offset.
    int totalWidth() const { return m_totalWidth; }

    QWidget *owner() const { return m_owner; }

    // Draws the frame inside rect and shrinks rect by what it drew.
    void drawFrame(QPainter &canvas, QRect &rect) const;

    // One bevel of FrameWidth rings: a at the left and top, b at the right and
    // bottom, clNone for a side that is not drawn. rect shrinks by FrameWidth.
    void drawBevel(QPainter &canvas, QRect &rect, ColorRef a, ColorRef b) const;

signals:
    void OnChange();

private:
    void changed();
    void recomputeTotalWidth();

    TKivFrameStyle m_frameStyle = frameRaised;
    ColorRef m_highlight = clBtnHighlight;
    ColorRef m_shadow = clBtnShadow;
    ColorRef m_solid = clBlack;
    QPointer<QWidget> m_owner;
    int m_totalWidth = 1;
    int m_offset = 0;
    int m_frameWidth = 1;
};

} // namespace korvel
