#include "tracks/TrackList.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace korvel {

namespace {

// The value most tracks give (the first of equally common ones), empty when none.
template <typename Get>
QString mostCommon(const QList<Track> &tracks, Get get)
{
    QHash<QString, int> counts;
    QString best;
    int bestCount = 0;
    for (const Track &t : tracks) {
        const QString value = get(t).trimmed();
        if (value.isEmpty())
            continue;
        const int n = ++counts[value];
        if (n > bestCount) {
            best = value;
            bestCount = n;
        }
    }
    return best;
}

} // namespace

QString TrackList::album() const
{
    return mostCommon(tracks, [](const Track &t) { return t.album; });
}

bool TrackList::isCompilation() const
{
    QSet<QString> artists;
    for (const Track &t : tracks)
        if (!t.artist.trimmed().isEmpty())
            artists.insert(t.artist.trimmed().toCaseFolded());
    return artists.size() > 1;
}

QString TrackList::artist() const
{
    const QString albumArtist = mostCommon(tracks, [](const Track &t) { return t.albumArtist; });
    if (!albumArtist.isEmpty())
        return albumArtist;
    if (isCompilation())
        return QString::fromUtf8(kVariousArtists);
    return mostCommon(tracks, [](const Track &t) { return t.artist; });
}

int TrackList::year() const
{
    return mostCommon(tracks, [](const Track &t) { return t.year > 0 ? QString::number(t.year) : QString(); }).toInt();
}

int TrackList::discCount() const
{
    QSet<int> discs;
    for (const Track &t : tracks)
        discs.insert(std::max(1, t.disc));
    return int(discs.size());
}

qint64 TrackList::totalMs() const
{
    qint64 total = 0;
    for (const Track &t : tracks)
        total += std::max<qint64>(0, t.durationMs);
    return total;
}

bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Compare the runs of digits as numbers: without leading zeros, the
            // longer is the larger, else the first differing digit decides.
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            qsizetype si = i, sj = j;
            while (si + 1 < ei && a[si] == QLatin1Char('0'))
                ++si;
            while (sj + 1 < ej && b[sj] == QLatin1Char('0'))
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            for (qsizetype k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k];
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb) {
            const int c = QString::localeAwareCompare(QString(ca), QString(cb));
            return c != 0 ? c < 0 : ca < cb;
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

QString titleFromFileName(const QString &fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    static const QRegularExpression number(QStringLiteral("^\\s*\\d{1,3}(?:\\s*[-._)]\\s*|\\s+)"));
    QString title = base;
    title.remove(number);
    title = title.trimmed();
    return title.isEmpty() ? base.trimmed() : title;
}

int leadingNumber(const QString &value, int max)
{
    qsizetype i = 0;
    while (i < value.size() && value[i].isSpace())
        ++i;
    qint64 n = 0;
    bool any = false;
    while (i < value.size() && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9')) {
        any = true;
        n = n * 10 + (value[i].unicode() - '0');
        if (n > max)
            return 0;
        ++i;
    }
    return any ? int(n) : 0;
}

} // namespace korvel
