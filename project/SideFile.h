#pragma once
#include <QString>
#include <QStringList>

#include "picture/Picture.h"

namespace korvel {

// A side file (base + ".im1" back, ".im2" front, ".im3" spine) holds a picture whose
// format its extension does not tell. Its bytes are read once and offered to the
// picture loader under each candidate extension in turn; the picture that remains is
// the one of the last candidate that loaded: a JPEG loads under ".jpg" and again
// under ".jpeg", a metafile under ".emf" and ".wmf", a bitmap under ".bmp" only, a
// PNG under ".png" (tried last, after the older formats); ".dib" has no loader.
//
// Nothing is renamed and no other file is looked at: a project on a CD or in a
// colleague's folder opens with its pictures, and an unrelated "album.jpg" beside
// "album.im1" is never read in its place.
struct SideFile {
    enum class Status { Missing, Loaded, Unreadable };
    Status status = Status::Missing;
    Picture picture;
    // Why an existing side file gave no picture: the last loader's or the system's words.
    QString error;

    // shownAt: where the picture will be shown on the screen, if it will.
    static SideFile read(const QString &path, const ScreenArea *shownAt = nullptr);
};

// The side file to use for path: path itself when there is a file of exactly that
// name, otherwise one in the same folder whose name differs only in case ("ALBUM.IM2"
// beside "ALBUM.KVP", as a project copied from another system or a CD has it), or
// path when there is neither. Reading and saving both go through it, so a project
// keeps its pictures and a save writes to the name that is there instead of adding a
// second file beside it.
QString findSideFile(const QString &path);

// The candidate extensions, in the order they are tried.
const QStringList &sideFileCandidates();

// The base of a side file name: the name without its last four characters
// (".im1" and friends are four characters long).
QString sideFileBase(const QString &sideFile);

} // namespace korvel
