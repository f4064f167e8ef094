#include "tracks/FolderReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "picture/Picture.h"
#include "tracks/RegularFile.h"

namespace korvel {

namespace {

// What a folder's own picture of the album is called, in the order they are taken.
const char *const kCoverNames[] = {"cover", "folder", "front"};
const char *const kCoverExtensions[] = {"jpg", "jpeg", "png"};

QStringList sortedNatural(QStringList names)
{
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

QStringList audioFilesIn(const QDir &dir)
{
    QStringList audio;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Readable))
        if (isAudioFileName(name))
            audio << name;
    return sortedNatural(audio);
}

} // namespace

QString folderCoverFile(const QString &folder)
{
    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Readable);
    for (const char *name : kCoverNames)
        for (const char *extension : kCoverExtensions)
            for (const QString &file : files)
                if (file.compare(QStringLiteral("%1.%2").arg(QLatin1String(name), QLatin1String(extension)),
                                 Qt::CaseInsensitive) == 0)
                    return dir.filePath(file);
    return QString();
}

FoundCover readCoverFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    // Named like a picture but a FIFO or a link to a device is no cover either.
    const QByteArray bytes = readRegularFile(path, kMaxCoverFileSize, QString()).bytes;
    const QString extension = Picture::extensionBySignature(bytes);
    if (extension.isEmpty())
        return {};
    return FoundCover{bytes, extension, QFileInfo(path).fileName()};
}

FolderListing listAudioFiles(const QString &folder)
{
    FolderListing listing;
    const QDir dir(folder);
    for (const QString &name : audioFilesIn(dir))
        listing.files << FolderListing::Entry{dir.filePath(name), 0};
    int disc = 0;
    const QStringList subfolders = sortedNatural(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable));
    for (const QString &sub : subfolders) {
        const QDir subdir(dir.filePath(sub));
        const QStringList audio = audioFilesIn(subdir);
        if (audio.isEmpty())
            continue;
        ++disc;
        for (const QString &name : audio)
            listing.files << FolderListing::Entry{subdir.filePath(name), disc};
    }
    listing.coverFile = folderCoverFile(folder);
    return listing;
}

TrackList assembleTracks(const QList<ReadFile> &files)
{
    struct Keyed {
        Track track;
        QString name;
    };
    QList<Keyed> keyed;
    TrackList list;
    for (const ReadFile &file : files) {
        const QString name = QFileInfo(file.entry.path).fileName();
        if (!file.audio) {
            list.unreadable << name;
            continue;
        }
        Track track = file.audio->track;
        if (track.title.isEmpty())
            track.title = titleFromFileName(name);
        if (track.disc <= 0)
            track.disc = file.entry.folderDisc;
        if (list.cover.isEmpty() && !file.audio->cover.isEmpty()) {
            list.cover = file.audio->cover;
            list.cover.source = name;
        }
        keyed << Keyed{track, file.entry.path};
    }
    // Files of the folder itself without a disc number belong to the first disc.
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int da = std::max(1, a.track.disc), db = std::max(1, b.track.disc);
        if (da != db)
            return da < db;
        // Tracks without a number come after the numbered ones of their disc.
        const int na = a.track.number > 0 ? a.track.number : 1000;
        const int nb = b.track.number > 0 ? b.track.number : 1000;
        if (na != nb)
            return na < nb;
        return naturalLess(a.name, b.name);
    });
    for (Keyed &k : keyed)
        list.tracks << std::move(k.track);
    return list;
}

TrackList readFolder(const QString &folder, const std::function<bool(int, int)> &progress)
{
    const FolderListing listing = listAudioFiles(folder);
    QList<ReadFile> read;
    const int total = int(listing.files.size());
    bool haveCover = false;
    for (const FolderListing::Entry &entry : listing.files) {
        std::optional<AudioFile> audio = readAudioFile(entry.path);
        // assembleTracks keeps the first cover in this same order; the others' bytes
        // (a few megabytes each in some rips) are let go at once rather than held
        // for the whole folder.
        if (audio && !audio->cover.isEmpty()) {
            if (haveCover)
                audio->cover = FoundCover();
            haveCover = true;
        }
        read << ReadFile{entry, std::move(audio)};
        if (progress && !progress(int(read.size()), total))
            break;
    }
    TrackList list = assembleTracks(read);
    if (list.cover.isEmpty())
        list.cover = readCoverFile(listing.coverFile);
    return list;
}

} // namespace korvel
