#pragma once
#include <QFont>
#include <QStringList>
#include <QVector>

class QFontMetricsF;

namespace korvel {

// The display lines of a text element at one zoom, measured with the element's
// font at 96 dpi scaled by that zoom. The screen uses them directly; paper reuses
// the 100 % layout, scaled, so printed breaks are the screen's breaks.
//
// A tab moves on to the next tab stop, counted from the line's start. The stops are
// measured on the page (every 8 average character widths of the item's font at
// 100 %, scaled with the zoom), so a column of durations stands at the same place at
// every zoom and on every device. Trailing tabs take no width: a centred line with
// one stays centred.
struct TextLayout {
    int zoom = 0;
    QFont font;
    int ascent = 0;
    int lineHeight = 0;          // height of "W": the line pitch
    qreal tabStop = 0;           // distance between tab stops, in this layout's pixels
    QStringList lines;           // display lines
    QVector<qreal> widths;       // width of each display line, trailing tabs left out

    // Breaks every stored line greedily at spaces to fit width: words joined by one
    // space while the line stays no wider than width; a word wider than width stands
    // alone on its line; an empty stored line stays an empty display line.
    static TextLayout build(const QStringList &stored, const QFont &font, qreal width, int zoom, qreal tabStop);

    // Where each tab-separated piece of line starts, from the line's start, with the
    // metrics of this layout's font.
    static QVector<qreal> pieceStarts(const QString &line, const QFontMetricsF &metrics, qreal tabStop);
    // The width of line as drawn, trailing tabs left out.
    static qreal advance(const QString &line, const QFontMetricsF &metrics, qreal tabStop);
};

} // namespace korvel
