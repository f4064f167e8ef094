#include "tracks/TrackFormat.h"

namespace korvel {

QString styleName(TrackFormat::Style style)
{
    switch (style) {
    case TrackFormat::Style::Dotted:
        return QStringLiteral("1. Název (3:45)");
    case TrackFormat::Style::Plain:
        return QStringLiteral("01 Název 3:45");
    case TrackFormat::Style::WithArtist:
        return QStringLiteral("1. Interpret – Název (3:45)");
    case TrackFormat::Style::Column:
        return QStringLiteral("1. Název      3:45 (sloupec délek)");
    }
    return QString();
}

TrackFormat suggestedFormat(const TrackList &list)
{
    TrackFormat format;
    if (list.isCompilation())
        format.style = TrackFormat::Style::WithArtist;
    return format;
}

QString formatDuration(qint64 ms)
{
    const qint64 seconds = (std::max<qint64>(0, ms) + 500) / 1000;
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString formatTotal(qint64 ms)
{
    const qint64 seconds = (std::max<qint64>(0, ms) + 500) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList formatTracks(const TrackList &list, const TrackFormat &format)
{
    using Style = TrackFormat::Style;
    const bool severalDiscs = format.discHeadings && list.discCount() > 1;
    const bool withArtist = format.style == Style::WithArtist && list.isCompilation();

    // The number of each track: its own, or its place on its disc when it has none.
    QList<int> numbers;
    int place = 0;
    int previousDisc = -1;
    int largest = 0;
    for (const Track &t : list.tracks) {
        const int disc = std::max(1, t.disc);
        place = disc == previousDisc ? place + 1 : 1;
        previousDisc = disc;
        numbers << (t.number > 0 ? t.number : place);
        largest = std::max(largest, numbers.last());
    }
    int width = 1;
    if (format.leadingZeros || format.style == Style::Plain)
        width = std::max(2, int(QString::number(largest).size()));
    // "1-01": the track's place on its disc always two digits at least, as CD
    // booklets of several discs write it.
    const bool discNumbers = format.discNumbers && list.discCount() > 1;
    if (discNumbers)
        width = std::max(2, int(QString::number(largest).size()));

    QStringList lines;
    previousDisc = -1;
    for (qsizetype i = 0; i < list.tracks.size(); ++i) {
        const Track &t = list.tracks[i];
        const int disc = std::max(1, t.disc);
        if (severalDiscs && disc != previousDisc)
            lines << QStringLiteral("CD %1").arg(disc);
        previousDisc = disc;
        QString number = QStringLiteral("%1").arg(numbers[i], width, 10, QLatin1Char('0'));
        if (discNumbers)
            number = QStringLiteral("%1-%2").arg(disc).arg(number);
        QString name = t.title.simplified();
        if (withArtist && !t.artist.trimmed().isEmpty())
            name = t.artist.simplified() + QStringLiteral(" – ") + name;
        // A title's own "…" before the tab would ask the contents list for a leader.
        if (format.style == Style::Column && !format.dotLeader && name.endsWith(QChar(u'…')))
            name = name.chopped(1) + QStringLiteral("...");
        const bool length = format.durations && t.durationMs > 0;
        const QString duration = length ? formatDuration(t.durationMs) : QString();
        switch (format.style) {
        case Style::Plain:
            lines << number + QLatin1Char(' ') + name + (length ? QLatin1Char(' ') + duration : QString());
            break;
        case Style::Column:
            lines << number + QStringLiteral(". ") + name
                         + (length ? (format.dotLeader ? QStringLiteral("…\t") : QStringLiteral("\t")) + duration : QString());
            break;
        case Style::Dotted:
        case Style::WithArtist:
            lines << number + QStringLiteral(". ") + name + (length ? QStringLiteral(" (%1)").arg(duration) : QString());
            break;
        }
    }
    // The total stands under the lengths in the column style.
    if (format.total && list.totalMs() > 0)
        lines << QStringLiteral("Celkem%1%2")
                     .arg(format.style == Style::Column ? QLatin1Char('\t') : QLatin1Char(' '))
                     .arg(formatTotal(list.totalMs()));
    return lines;
}

} // namespace korvel
