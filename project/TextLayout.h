#pragma once
#include <QFont>
#include <QStringList>
#include <QVector>

namespace korvel {

// The display lines of a text element at one zoom, measured with the element's
// font at 96 dpi scaled by that zoom. The screen uses them directly; paper reuses
// the 100 % layout, scaled, so printed breaks are the screen's breaks.
struct TextLayout {
    int zoom = 0;
    QFont font;
    int ascent = 0;
    int lineHeight = 0;          // height of "W": the line pitch
    QStringList lines;           // display lines
    QVector<qreal> widths;       // width of each display line

    // Breaks every stored line greedily at spaces to fit width: words joined by one
    // space while the line stays no wider than width; a word wider than width stands
    // alone on its line; an empty stored line stays an empty display line.
    static TextLayout build(const QStringList &stored, const QFont &font, qreal width, int zoom);
};

} // namespace korvel
