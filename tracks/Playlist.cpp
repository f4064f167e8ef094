#include "tracks/Playlist.h"

#include <QFileInfo>
#include <QUrl>

#include "tracks/AudioTags.h"
#include "tracks/CueSheet.h"
#include "tracks/FolderReader.h"

namespace korvel {

QList<PlaylistEntry> parsePlaylist(const QString &text)
{
    QList<PlaylistEntry> entries;
    PlaylistEntry next;
    for (QStringView raw : QStringView(text).split(QLatin1Char('\n'))) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
            const QStringView info = line.mid(8);
            // The first comma outside quotes (attributes may hold commas).
            qsizetype comma = -1;
            bool quoted = false;
            for (qsizetype i = 0; i < info.size() && comma < 0; ++i) {
                if (info[i] == QLatin1Char('"'))
                    quoted = !quoted;
                else if (info[i] == QLatin1Char(',') && !quoted)
                    comma = i;
            }
            // "#EXTINF:225.5 tvg-id=...,Artist - Title": the length is the first number.
            const QStringView length = comma < 0 ? info : info.left(comma);
            bool ok = false;
            const double seconds = length.split(QLatin1Char(' ')).value(0).toDouble(&ok);
            next.durationMs = ok && seconds > 0 && seconds < 24 * 3600 ? qint64(seconds * 1000 + 0.5) : 0;
            const QString name = comma < 0 ? QString() : info.mid(comma + 1).trimmed().toString();
            const qsizetype dash = name.indexOf(QLatin1String(" - "));
            next.artist = dash > 0 ? name.left(dash).trimmed() : QString();
            next.title = dash > 0 ? name.mid(dash + 3).trimmed() : name;
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (entries.size() >= PlaylistEntry::kMaxEntries)
            break;
        next.location = line.toString();
        entries << next;
        next = PlaylistEntry();
    }
    return entries;
}

TrackList readPlaylist(const QString &path, std::optional<TextEncoding> encoding, TextEncoding *used,
                       const std::function<bool(int, int)> &progress)
{
    QString error;
    const QString text = readListText(path, QStringLiteral("Seznam skladeb"), encoding, used, &error);
    if (!error.isEmpty()) {
        TrackList refused;
        refused.error = error;
        return refused;
    }
    const QList<PlaylistEntry> entries = parsePlaylist(text);
    const QString folder = QFileInfo(path).absolutePath();
    TrackList list;
    int position = 0;
    for (const PlaylistEntry &entry : entries) {
        ++position;
        QString location = entry.location;
        const QUrl url(location);
        if (url.isLocalFile())
            location = url.toLocalFile();
        const QString found = findListedFile(folder, location);
        const QString name = QFileInfo(QString(location).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
        std::optional<AudioFile> audio;
        if (!found.isEmpty() && isAudioFileName(found))
            audio = readAudioFile(found);
        Track t;
        if (audio) {
            t = audio->track;
            if (t.title.isEmpty())
                t.title = titleFromFileName(name);
            if (list.cover.isEmpty() && !audio->cover.isEmpty()) {
                list.cover = audio->cover;
                list.cover.source = name;
            }
        } else {
            (found.isEmpty() ? list.missing : list.unreadable) << name;
            t.title = entry.title.isEmpty() ? titleFromFileName(name) : entry.title;
            t.artist = entry.artist;
            t.durationMs = entry.durationMs;
            t.file = location;
        }
        // A playlist's tracks are counted in its order, whatever album each is from.
        t.number = position;
        t.disc = 0;
        list.tracks << t;
        if (progress && !progress(position, int(entries.size())))
            break;
    }
    if (list.cover.isEmpty())
        list.cover = readCoverFile(folderCoverFile(folder));
    return list;
}

} // namespace korvel
