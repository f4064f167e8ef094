#include "project/TextLayout.h"

#include <QFontMetrics>
#include <QFontMetricsF>

namespace korvel {

TextLayout TextLayout::build(const QStringList &stored, const QFont &font, qreal width, int zoom)
{
    TextLayout layout;
    layout.zoom = zoom;
    layout.font = font;
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
            const qreal w = exact.horizontalAdvance(word);
            if (current.isEmpty()) {
                current = word;
                currentWidth = w;
                continue;
            }
            // Measure the joined text itself rather than adding up advances, so that
            // the width is the one the drawn line will have.
            const QString joined = current + QLatin1Char(' ') + word;
            const qreal joinedWidth = exact.horizontalAdvance(joined);
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
