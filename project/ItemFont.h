#pragma once
#include <QFont>
#include <QString>

#include "project/Colors.h"

namespace korvel {

// Style bits as the cover model counts them.
enum FontStyleBit : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The font of a text item or of the spine title: name, colour, height and style.
//
// Size (points) and height (pixels at 96 dpi) are one quantity: setting the size s
// gives the height -MulDiv(s, 96, 72), and the size of a height h is
// -MulDiv(h, 72, 96). A negative height is the character height without internal
// leading, a positive one the cell height.
struct ItemFont {
    QString name = QStringLiteral("Arial");
    ColorRef color = clWindowText;
    int height = -13;
    int style = 0;

    int size() const;
    void setSize(int points);

    // The font to draw with on a page shown at zoom percent: at 100 the height
    // itself, at other zooms the size scaled by the zoom and taken to the nearest
    // whole point. Hinting is off so that widths scale linearly from the screen to
    // the printer, where the same line breaks are reused.
    QFont toQFont(int zoom = 100) const;
    // A font of exactly this pixel height (negative: em height, positive: cell height).
    QFont toQFontForHeight(int height) const;

    bool operator==(const ItemFont &) const = default;
};

} // namespace korvel
