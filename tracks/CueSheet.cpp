#include "tracks/CueSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "tracks/AudioTags.h"
#include "tracks/FolderReader.h"

namespace korvel {

namespace {

// The words of a line: runs without blanks, or text in double quotes (the quotes
// left out; an unclosed quote runs to the line's end).
QStringList tokens(QStringView line)
{
    QStringList out;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i].isSpace())
            ++i;
        if (i >= line.size())
            break;
        if (line[i] == QLatin1Char('"')) {
            const qsizetype end = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? line.size() : end;
            out << line.mid(i + 1, stop - i - 1).toString();
            i = end < 0 ? line.size() : end + 1;
        } else {
            qsizetype end = i;
            while (end < line.size() && !line[end].isSpace())
                ++end;
            out << line.mid(i, end - i).toString();
            i = end;
        }
    }
    return out;
}

// "mm:ss:ff" (75 frames a second) in milliseconds; -1 when it is not one.
qint64 cueTime(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    bool ok[3];
    const int m = parts[0].toInt(&ok[0]), s = parts[1].toInt(&ok[1]), f = parts[2].toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || m < 0 || m > 9999 || s < 0 || s > 59 || f < 0 || f > 74)
        return -1;
    return (qint64(m) * 60 + s) * 1000 + qint64(f) * 1000 / 75;
}

} // namespace

CueSheet parseCueSheet(const QString &text)
{
    CueSheet sheet;
    QString file;
    CueSheet::Entry *track = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QStringList words = tokens(line);
        if (words.isEmpty())
            continue;
        const QString command = words[0].toUpper();
        const QString value = words.value(1);
        if (command == QLatin1String("FILE")) {
            file = value;
        } else if (command == QLatin1String("TRACK")) {
            // Past the limit every line belongs to a track that is not kept: read
            // on, its TITLE and PERFORMER would land on the album's.
            if (sheet.tracks.size() >= CueSheet::kMaxTracks)
                break;
            sheet.tracks.append(CueSheet::Entry{leadingNumber(value, 999), {}, {}, file, -1});
            track = &sheet.tracks.last();
        } else if (command == QLatin1String("TITLE")) {
            (track ? track->title : sheet.title) = value.trimmed();
        } else if (command == QLatin1String("PERFORMER")) {
            (track ? track->performer : sheet.performer) = value.trimmed();
        } else if (command == QLatin1String("INDEX")) {
            if (track && leadingNumber(value, 99) == 1) {
                track->startMs = cueTime(words.value(2));
                track->file = file;
            }
        } else if (command == QLatin1String("REM") && value.toUpper() == QLatin1String("DATE") && !track) {
            const int year = leadingNumber(words.value(2), 9999);
            sheet.year = year >= 1000 ? year : 0;
        }
    }
    return sheet;
}

TrackList cueTracks(const CueSheet &sheet, const std::function<qint64(const QString &)> &fileLength)
{
    TrackList list;
    QHash<QString, qint64> lengths;
    auto lengthOf = [&](const QString &file) {
        auto it = lengths.find(file);
        if (it == lengths.end())
            it = lengths.insert(file, fileLength ? fileLength(file) : 0);
        return it.value();
    };
    for (qsizetype i = 0; i < sheet.tracks.size(); ++i) {
        const CueSheet::Entry &e = sheet.tracks[i];
        Track t;
        t.number = e.number;
        t.title = e.title;
        t.artist = e.performer.isEmpty() ? sheet.performer : e.performer;
        t.album = sheet.title;
        t.albumArtist = sheet.performer;
        t.year = sheet.year;
        t.file = e.file;
        if (e.startMs >= 0) {
            qint64 end = -1;
            if (i + 1 < sheet.tracks.size() && sheet.tracks[i + 1].file == e.file)
                end = sheet.tracks[i + 1].startMs;
            else if (!e.file.isEmpty())
                end = lengthOf(e.file);
            t.durationMs = end > e.startMs ? end - e.startMs : 0;
        }
        if (t.title.isEmpty())
            t.title = QStringLiteral("Skladba %1").arg(e.number > 0 ? e.number : int(i) + 1);
        list.tracks << t;
    }
    return list;
}

QString findListedFile(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QDir dir(folder);
    const QString direct = dir.filePath(name);
    if (QFileInfo(direct).isFile())
        return QFileInfo(direct).absoluteFilePath();
    // Written on Windows: another case, backslashes, or converted to another format.
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo wanted(dir.filePath(relative));
    const QDir parent = wanted.dir();
    if (!parent.exists())
        return QString();
    const QString base = wanted.completeBaseName();
    QString sameBase;
    for (const QString &entry : parent.entryList(QDir::Files)) {
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return parent.absoluteFilePath(entry);
        if (sameBase.isEmpty() && isAudioFileName(entry) && isAudioFileName(wanted.fileName())
            && QFileInfo(entry).completeBaseName().compare(base, Qt::CaseInsensitive) == 0)
            sameBase = parent.absoluteFilePath(entry);
    }
    return sameBase;
}

RegularFileContent readListFile(const QString &path, const QString &what)
{
    return readRegularFile(path, kMaxListFileSize, what);
}

QString readListText(const QString &path, const QString &what, std::optional<TextEncoding> encoding,
                     TextEncoding *used, QString *error)
{
    const RegularFileContent file = readListFile(path, what);
    // An .m3u8 is UTF-8 by its name; the contents still decide when they are not.
    const TextEncoding chosen = encoding ? *encoding : detectEncoding(file.bytes);
    if (used)
        *used = chosen;
    *error = file.error;
    return file.error.isEmpty() ? decodeText(file.bytes, chosen) : QString();
}

TrackList readCueSheet(const QString &path, std::optional<TextEncoding> encoding, TextEncoding *used,
                       const std::function<bool(int, int)> &progress)
{
    QString error;
    const QString text = readListText(path, QStringLiteral("Soubor CUE"), encoding, used, &error);
    if (!error.isEmpty()) {
        TrackList refused;
        refused.error = error;
        return refused;
    }
    const CueSheet sheet = parseCueSheet(text);
    const QString folder = QFileInfo(path).absolutePath();
    // First which files the tracks want a length from (nothing is read for that), so
    // the reading can count them and stop between two of them.
    QStringList wanted;
    cueTracks(sheet, [&](const QString &file) {
        wanted << file;
        return qint64(0);
    });
    FoundCover cover;
    QStringList missing;
    QHash<QString, qint64> lengths;
    int done = 0;
    for (const QString &file : wanted) {
        const QString found = findListedFile(folder, file);
        if (found.isEmpty()) {
            missing << file;
        } else if (const std::optional<AudioFile> audio = readAudioFile(found)) {
            lengths.insert(file, audio->track.durationMs);
            if (cover.isEmpty() && !audio->cover.isEmpty()) {
                cover = audio->cover;
                cover.source = QFileInfo(found).fileName();
            }
        }
        if (progress && !progress(++done, int(wanted.size())))
            break;
    }
    TrackList list = cueTracks(sheet, [&](const QString &file) { return lengths.value(file, 0); });
    list.missing = missing;
    list.cover = cover.isEmpty() ? readCoverFile(folderCoverFile(folder)) : cover;
    return list;
}

} // namespace korvel
