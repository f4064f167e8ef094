#pragma once
#include <QWidget>

#include "controls/BackgroundLink.h"

namespace korvel {

// A windowless control that only paints its TKivBackground over its whole area;
// without a background it paints nothing and what lies behind it shows.
class TKivFillBackground : public QWidget {
Q_OBJECT
public:
    explicit TKivFillBackground(QWidget *parent = nullptr);
    ~TKivFillBackground() override;

    TKivBackground *background() const { return m_background.get(); }
    void setBackground(TKivBackground *background);
    // Stored and repainted, with no further effect.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // Paints the control's look onto canvas, with the control's top-left at the
    // canvas origin.
    void paintTo(QPainter &canvas);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    BackgroundLink m_background{this};
    bool m_autoSize = false;
};

} // namespace korvel
