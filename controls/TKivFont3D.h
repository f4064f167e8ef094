#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

#include "project/Colors.h"

class QColor;
class QFont;
class QPainter;
class QWidget;

namespace korvel {

// Kind of 3D look of a text.
enum TKivStyle3D { fontRaised, fontInset, fontOnlyShadow, fontOnlyHighlight, fontOutLineShadow };
// Side on which a solid extrusion of the text lies, or none.
enum TKivRepeat { repeatOnShadow, repeatOnHighLight, repeatNone };

// How a text is drawn with a 3D look. Owned by the control that created it; every
// accepted change fires OnChange and asks that control to repaint.
class TKivFont3D : public QObject {
Q_OBJECT
public:
    explicit TKivFont3D(QWidget *owner = nullptr);

    bool threeDimensional() const { return m_threeDimensional; }
    void setThreeDimensional(bool on);
    TKivStyle3D style3D() const { return m_style3D; }
    void setStyle3D(TKivStyle3D style);
    // Distance of the highlight and shadow copies; 0 or less is ignored.
    int offset() const { return m_offset; }
    void setOffset(int offset);
    TKivRepeat repetition() const { return m_repetition; }
    void setRepetition(TKivRepeat side);
    ColorRef repetitionColor() const { return m_repetitionColor; }
    void setRepetitionColor(ColorRef c);
    // Number of extrusion copies; negative values are ignored.
    int repetitionwidth() const { return m_repetitionwidth; }
    void setRepetitionwidth(int width);
    bool maskFont() const { return m_maskFont; }
    void setMaskFont(bool on);
    ColorRef shadow() const { return m_shadow; }
    void setShadow(ColorRef c);
    ColorRef highlight() const { return m_highlight; }
    void setHighlight(ColorRef c);

    QWidget *owner() const { return m_owner; }

    // Draws text in rect (the caller's rectangle is not changed) with this
    // object's effects. flags are Qt::AlignmentFlag and Qt::TextFlag values.
    // Disabled text is drawn engraved (highlight below right, grey text) with no
    // other effect. Every pass is drawn aliased with a transparent background.
    void drawText3D(QPainter &canvas, const QFont &font, const QColor &fontColor, QRect rect,
                    const QString &text, int flags, bool enabled) const;

    using DrawPass = std::function<void(const QRect &, const QColor &)>;
    // The passes of Style3D around rect (highlight and shadow copies, or the
    // outline), drawn with draw(rect, colour); rect ends where it started. The
    // text fill of a background draws the same passes on its own surface.
    void drawStylePasses(QRect &rect, const DrawPass &draw) const;

signals:
    void OnChange();

private:
    void changed();

    bool m_threeDimensional = true;
    TKivStyle3D m_style3D = fontInset;
    int m_offset = 1;
    TKivRepeat m_repetition = repeatNone;
    QPointer<QWidget> m_owner;
    ColorRef m_repetitionColor = clBlack;
    int m_repetitionwidth = 0;
    bool m_maskFont = true;
    ColorRef m_shadow = clBtnShadow;
    ColorRef m_highlight = clBtnHighlight;
};

// A font for the library's text passes: the given font drawn without
// antialiasing, so a pass covers exactly the pixels of the text's colour.
QFont aliasedFont(const QFont &font);

} // namespace korvel
