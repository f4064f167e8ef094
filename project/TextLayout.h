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
//
// In a layout with a right stop (the contents list) the last tab of each stored line
// is a right-aligned stop at the box's right edge instead: what follows it ends
// there, whatever the alignment, so the durations of a track list stand flush right
// in one column. The line then fills the box. When the text before that tab ends
// with "…", dots lead from it to the duration in place of the "…". Where there is no
// room for either, the tab is a regular one.
struct TextLayout {
    int zoom = 0;
    QFont font;
    int ascent = 0;
    int lineHeight = 0;          // height of "W": the line pitch
    qreal tabStop = 0;           // distance between tab stops, in this layout's pixels
    qreal rightStop = 0;         // the right-aligned stop (the box's width), 0 for none
    QStringList lines;           // display lines
    QVector<qreal> widths;       // width of each display line, trailing tabs left out
    QVector<bool> rightTabs;     // whether each display line holds its stored line's last tab

    // Breaks every stored line greedily at spaces to fit width: words joined by one
    // space while the line stays no wider than width; a word wider than width stands
    // alone on its line; an empty stored line stays an empty display line. rightStop:
    // see above; 0 keeps every tab at the regular stops.
    static TextLayout build(const QStringList &stored, const QFont &font, qreal width, int zoom, qreal tabStop,
                            qreal rightStop = 0);

    // Where each tab-separated piece of line starts, from the line's start, with the
    // metrics of this layout's font, every tab at the regular stops.
    static QVector<qreal> pieceStarts(const QString &line, const QFontMetricsF &metrics, qreal tabStop);
    // The width of line as drawn with regular stops, trailing tabs left out.
    static qreal advance(const QString &line, const QFontMetricsF &metrics, qreal tabStop);

    // How a display line is drawn: its tab-separated pieces (trailing tabs left out)
    // and where each starts, the dot leader's reach, and the line's width.
    struct Placement {
        QStringList pieces;
        QVector<qreal> starts;
        qreal leaderFrom = 0, leaderTo = 0; // dots within this span; none when empty
        qreal width = 0;
        bool hasLeader() const { return leaderTo > leaderFrom; }
    };
    // rightStop > 0: the line's last tab is the right-aligned stop there.
    static Placement place(const QString &line, const QFont &font, qreal tabStop, qreal rightStop);
    // The display line i as this layout draws it.
    Placement placement(qsizetype i) const;

    // The dots of a leader within [from, to): one string to draw at *x, set on a grid
    // counted from the line's start so the dots of every line stand in columns.
    static QString leaderDots(qreal from, qreal to, const QFontMetricsF &metrics, qreal *x);
};

// What a line's text before its last tab ends with to ask for a dot leader.
inline constexpr char16_t kLeaderMark = u'\u2026'; // "…"

} // namespace korvel
