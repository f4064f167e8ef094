#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace korvel {

// A side file (base + ".im1", ".im2", ".im3") holds a picture whose format its
// extension does not tell, while pictures load by extension. So the file is offered
// under each candidate extension in turn: renamed to base + candidate, loaded, and
// renamed back. The picture that remains is the one of the last candidate that
// loaded: a JPEG loads under ".jpg" and again under ".jpeg", a metafile under ".emf"
// and ".wmf", a bitmap under ".bmp" only, a PNG under ".png" (tried last, after the
// older formats); ".dib" has no loader.
//
// Renames never replace an existing file. A failed rename shows
// "Chyba testu formátu obrázku! (RenameError)" and the test goes on; a failed load is
// silent and leaves the target's picture as it was.

// Loads a picture into the target; false (with the loader's message) when it cannot.
using SideFileLoader = std::function<bool(const QString &path, QString *error)>;

// The candidate extensions, in the order they are tried.
const QStringList &sideFileCandidates();

// One candidate for one side file; does nothing when the side file does not exist.
void sideFileFormatTest(const QString &sideFile, const QString &candidate, const SideFileLoader &load);

// All nine candidates in order.
void sideFileFormatTestAll(const QString &sideFile, const SideFileLoader &load);

// The base of a side file name: the name without its last four characters
// (".im1" and friends are four characters long).
QString sideFileBase(const QString &sideFile);

} // namespace korvel
