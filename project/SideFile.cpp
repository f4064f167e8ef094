#include "project/SideFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "settings/FileReplacement.h"

namespace korvel {

const QStringList &sideFileCandidates()
{
    static const QStringList candidates{QStringLiteral(".bmp"), QStringLiteral(".gif"), QStringLiteral(".dib"),
                                        QStringLiteral(".jpg"), QStringLiteral(".ico"), QStringLiteral(".emf"),
                                        QStringLiteral(".wmf"), QStringLiteral(".jpeg"), QStringLiteral(".png")};
    return candidates;
}

QString findSideFile(const QString &path)
{
    const QFileInfo exact(path);
    if (exact.exists() || exact.isSymLink())
        return path;
    const QString name = exact.fileName();
    // Sorted by name, so that of two variants ("Album.IM2", "ALBUM.IM2") the same one
    // is taken every time.
    const QStringList entries =
        exact.dir().entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return exact.dir().filePath(entry);
    return path;
}

QString sideFileBase(const QString &sideFile)
{
    return sideFile.left(std::max<qsizetype>(0, sideFile.size() - 4));
}

SideFile SideFile::read(const QString &path, const ScreenArea *shownAt)
{
    SideFile result;
    QFile file(path);
    if (!file.exists())
        return result;
    result.status = Status::Unreadable;
    // The same limit as for a picture file chosen by the user.
    constexpr qint64 kMaxBytes = qint64(512) * 1024 * 1024;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Soubor „%1“ nelze otevřít: %2").arg(QFileInfo(path).fileName(), czechReadReason(path));
        return result;
    }
    if (file.size() > kMaxBytes) {
        result.error = QStringLiteral("Soubor „%1“ je na obrázek příliš velký").arg(QFileInfo(path).fileName());
        return result;
    }
    const QByteArray bytes = file.readAll();
    // Why it did not load is told by the loader of the format the file begins as (a
    // JPEG cut short), not by the last one tried.
    const QString own = Picture::extensionBySignature(bytes);
    for (const QString &candidate : sideFileCandidates()) {
        Picture picture;
        QString error;
        if (picture.loadFromData(bytes, candidate, &error, shownAt)) {
            result.picture = picture;
            result.status = Status::Loaded;
        } else if (candidate == own) {
            result.error = error;
        }
    }
    if (result.status == Status::Loaded)
        result.error.clear();
    else if (result.error.isEmpty())
        result.error = bytes.isEmpty() ? QStringLiteral("soubor je prázdný") : QStringLiteral("není to obrázek žádného známého formátu");
    return result;
}

} // namespace korvel
