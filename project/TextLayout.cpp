#include "project/TextLayout.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

namespace korvel {

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
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == QLatin1Char('\t'))
        --end;
    const QString drawn = line.left(end);
    const qsizetype lastTab = drawn.lastIndexOf(QLatin1Char('\t'));
    if (lastTab < 0)
        return metrics.horizontalAdvance(drawn);
    return pieceStarts(drawn, metrics, tabStop).last() + metrics.horizontalAdvance(drawn.mid(lastTab + 1));
}

TextLayout TextLayout::build(const QStringList &stored, const QFont &font, qreal width, int zoom, qreal tabStop)
{
    TextLayout layout;
    layout.zoom = zoom;
    layout.font = font;
    layout.tabStop = tabStop;
    const QFontMetrics metrics(font);
    const QFontMetricsF exact(font);
    layout.ascent = metrics.ascent();
    layout.lineHeight = metrics.ascent() + metrics.descent();

    for (const QString &line : stored) {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            layout.lines.append(QString());
            layout.widths.append(0);
            continue;
        }
        QString current;
        qreal currentWidth = 0;
        for (const QString &word : words) {
            const qreal w = advance(word, exact, tabStop);
            if (current.isEmpty()) {
                current = word;
                currentWidth = w;
                continue;
            }
            // Measure the joined text itself rather than adding up advances, so that
            // the width is the one the drawn line will have (tabs included).
            const QString joined = current + QLatin1Char(' ') + word;
            const qreal joinedWidth = advance(joined, exact, tabStop);
            if (joinedWidth <= width) {
                current = joined;
                currentWidth = joinedWidth;
            } else {
                layout.lines.append(current);
                layout.widths.append(currentWidth);
                current = word;
                currentWidth = w;
            }
        }
        layout.lines.append(current);
        layout.widths.append(currentWidth);
    }
    return layout;
}

} // namespace korvel
