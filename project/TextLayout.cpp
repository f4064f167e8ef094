#include "project/TextLayout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

namespace korvel {

namespace {

// How far the ink of c stops short of its advance (negative when it reaches past).
// The glyph boxes of a font of a screen's few pixels come in whole pixels, a bearing
// of 0.6 px as 0 or 1; the outline at a large size, scaled down, gives the true one.
qreal rightBearing(const QFont &font, QChar c)
{
    constexpr int kProbeSize = 1000;
    QFont probe(font);
    probe.setPixelSize(kProbeSize);
    const int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return QFontMetricsF(probe).rightBearing(c) * size / kProbeSize;
}

qsizetype withoutTrailingTabs(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == QLatin1Char('\t'))
        --end;
    return end;
}

} // namespace

QVector<qreal> TextLayout::pieceStarts(const QString &line, const QFontMetricsF &metrics, qreal tabStop)
{
    QVector<qreal> starts{0};
    qreal x = 0;
    qsizetype from = 0;
    for (qsizetype tab; (tab = line.indexOf(QLatin1Char('\t'), from)) >= 0; from = tab + 1) {
        x += metrics.horizontalAdvance(line.mid(from, tab - from));
        // The next stop strictly beyond x, as a typewriter's tab key moves.
        x = tabStop > 0 ? (std::floor(x / tabStop + 1e-9) + 1) * tabStop : x;
        starts.append(x);
    }
    return starts;
}

qreal TextLayout::advance(const QString &line, const QFontMetricsF &metrics, qreal tabStop)
{
    const QString drawn = line.left(withoutTrailingTabs(line));
    const qsizetype lastTab = drawn.lastIndexOf(QLatin1Char('\t'));
    if (lastTab < 0)
        return metrics.horizontalAdvance(drawn);
    return pieceStarts(drawn, metrics, tabStop).last() + metrics.horizontalAdvance(drawn.mid(lastTab + 1));
}

TextLayout::Placement TextLayout::place(const QString &line, const QFont &font, qreal tabStop, qreal rightStop)
{
    const QFontMetricsF metrics(font);
    Placement p;
    const QString drawn = line.left(withoutTrailingTabs(line));
    p.pieces = drawn.split(QLatin1Char('\t'));
    p.starts = pieceStarts(drawn, metrics, tabStop);
    p.width = drawn.isEmpty() ? 0 : p.starts.last() + metrics.horizontalAdvance(p.pieces.last());
    const qsizetype n = p.pieces.size();
    if (rightStop <= 0 || n < 2)
        return p;

    // The text after the last tab ends at the right stop with its ink, not its
    // advance: a "1" keeps a wide margin of its own in most fonts, and the column is
    // read by where the digits end.
    const QString &tail = p.pieces.last();
    const qreal tailWidth = metrics.horizontalAdvance(tail);
    const qreal tailStart = rightStop - (tailWidth - (tail.isEmpty() ? 0 : rightBearing(font, tail.back())));
    QString head = p.pieces[n - 2];
    const bool leader = head.endsWith(QChar(kLeaderMark));
    if (leader)
        head.chop(1);
    const qreal headEnd = p.starts[n - 2] + metrics.horizontalAdvance(head);
    const qreal gap = metrics.horizontalAdvance(QLatin1Char(' '));
    if (headEnd + gap > tailStart)
        return p; // no room: a regular tab, the "…" drawn as it is
    p.starts[n - 1] = tailStart;
    p.width = rightStop; // the line fills the box (a glyph's own margin may reach past it)
    if (leader) {
        p.pieces[n - 2] = head;
        p.leaderFrom = headEnd + gap / 2;
        p.leaderTo = tailStart - gap / 2;
    }
    return p;
}

TextLayout::Placement TextLayout::placement(qsizetype i) const
{
    return place(lines.value(i), font, tabStop, rightTabs.value(i) ? rightStop : 0);
}

QString TextLayout::leaderDots(qreal from, qreal to, const QFontMetricsF &metrics, qreal *x)
{
    const qreal pitch = metrics.horizontalAdvance(QStringLiteral(". "));
    const qreal dot = metrics.horizontalAdvance(QLatin1Char('.'));
    if (pitch <= 0 || to <= from)
        return QString();
    const qreal first = std::ceil(from / pitch - 1e-9) * pitch;
    const int count = int(std::floor((to - dot - first) / pitch + 1e-9)) + 1;
    *x = first;
    if (count <= 0)
        return QString();
    return QStringLiteral(". ").repeated(count - 1) + QLatin1Char('.');
}

TextLayout TextLayout::build(const QStringList &stored, const QFont &font, qreal width, int zoom, qreal tabStop,
                             qreal rightStop)
{
    TextLayout layout;
    layout.zoom = zoom;
    layout.font = font;
    layout.tabStop = tabStop;
    layout.rightStop = rightStop;
    const QFontMetrics metrics(font);
    const QFontMetricsF exact(font);
    layout.ascent = metrics.ascent();
    layout.lineHeight = metrics.ascent() + metrics.descent();

    for (const QString &line : stored) {
        // The words and where each ends in the stored line, and which word holds the
        // line's last tab (trailing tabs left out): the display line that gets it
        // has the right stop.
        QStringList words;
        qsizetype rightWord = -1;
        const qsizetype lastTab = rightStop > 0 ? line.left(withoutTrailingTabs(line)).lastIndexOf(QLatin1Char('\t')) : -1;
        for (qsizetype i = 0; i < line.size();) {
            if (line[i] == QLatin1Char(' ')) {
                ++i;
                continue;
            }
            qsizetype end = line.indexOf(QLatin1Char(' '), i);
            if (end < 0)
                end = line.size();
            if (lastTab >= i && lastTab < end)
                rightWord = words.size();
            words << line.mid(i, end - i);
            i = end;
        }
        if (words.isEmpty()) {
            layout.lines.append(QString());
            layout.widths.append(0);
            layout.rightTabs.append(false);
            continue;
        }
        auto measure = [&](const QString &text, bool right) {
            return right ? place(text, font, tabStop, rightStop).width : advance(text, exact, tabStop);
        };
        QString current;
        qreal currentWidth = 0;
        bool currentRight = false;
        for (qsizetype w = 0; w < words.size(); ++w) {
            const QString &word = words[w];
            const bool right = w == rightWord;
            if (current.isEmpty()) {
                current = word;
                currentRight = right;
                currentWidth = measure(current, currentRight);
                continue;
            }
            // Measure the joined text itself rather than adding up advances, so that
            // the width is the one the drawn line will have (tabs included).
            const QString joined = current + QLatin1Char(' ') + word;
            const qreal joinedWidth = measure(joined, currentRight || right);
            if (joinedWidth <= width) {
                current = joined;
                currentWidth = joinedWidth;
                currentRight = currentRight || right;
            } else {
                layout.lines.append(current);
                layout.widths.append(currentWidth);
                layout.rightTabs.append(currentRight);
                current = word;
                currentRight = right;
                currentWidth = measure(current, currentRight);
            }
        }
        layout.lines.append(current);
        layout.widths.append(currentWidth);
        layout.rightTabs.append(currentRight);
    }
    return layout;
}

} // namespace korvel
