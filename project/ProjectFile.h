#pragma once
#include <QString>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

#include "project/DocumentSnapshot.h"
#include "project/SideFile.h"

namespace korvel {

struct DocumentSnapshot;

inline constexpr const char *kProjectSection = "SecCD";
// The disc label's own section. Programs that read only [SecCD] pass over it.
inline constexpr const char *kDiscSection = "SecDisc";

// "Lurdan CD 1.0 - druhé vydání - " and the file name of path with its extension.
QString projectCaption(const QString &path);

// The side-file base: the project file's name without its directory and without
// its last four characters ("album.kvp" gives "album", "album" gives "a").
QString projectSideFileBase(const QString &path);

// What the user is told of a side file that exists but gives no picture:
// "Obrázek přední strany (album.im2) nelze načíst: why". extension is ".im1" (back),
// ".im2" (front), ".im3" (spine) or ".im4" (the disc label's own picture).
QString sideFileProblem(const QString &base, const char *extension, const QString &why);

// Whether these bytes are a project's text: no zero byte (a picture, UTF-16, a file
// zeroed by a power cut) and a "SecCD" section.
bool isProjectText(const QByteArray &content);

// Throws ProjectError (in Czech, naming the file) unless path is a readable project
// file: it exists, it is text and it has a "SecCD" section. Changes nothing.
void requireProjectFile(const QString &path);
// The same, giving the file's bytes, read once.
void readProjectText(const QString &path, QByteArray *content);

// The project's picture side files as they were read: base.im1 (back), base.im2
// (front), base.im3 (spine), base.im4 (the label's own picture).
struct ProjectSideFiles {
    SideFile back, front, spine, label;
};

// Reading is the mirror of writing: the bytes of a project file (accepted by
// isProjectText) and its side files, made into a cover. The section is parsed once.
// The cover is read over from: what the file does not set keeps its value there (the
// lists are emptied first, since their lines are appended), but its pictures are
// only those of its side files. base is the side-file base, which the spine
// remembers. A missing size or height key keeps the item's own; the stretch choice
// follows the file's fitting, so an unchanged project saves as it was read.
//
// The disc label is read from [SecDisc], over a label nobody touched: every value it
// lacks, or holds out of range, keeps the untouched label's. A project without the
// section has the untouched label, which follows its cover.
DocumentSnapshot readProject(const QByteArray &content, const QString &base, const ProjectSideFiles &sides,
                             const DocumentSnapshot &from);

// A project file read from disk: its text once, then its side files beside it (in
// the project's own folder, whatever the program's working folder; a name that
// differs only in case counts, see findSideFile).
struct ProjectReading {
    DocumentSnapshot snapshot;
    // A side file that is there but that no loader reads, in Czech, one message each
    // ("Obrázek přední strany (album.im2) nelze načíst: …"); one that is not there is
    // no problem.
    QStringList problems;
    // Those side files (absolute paths): DocumentSnapshot::keptSideFiles.
    QStringList unreadable;
};
// Throws ProjectError before anything is read for a file that is no project.
// screenZoom: the zoom the cover is shown at on a screen, or 0 when it is shown on
// none (korvel-print): the front and back photos are then decoded for that zoom first
// (Picture::loadFromData), and whole in the background.
ProjectReading readProjectFile(const QString &path, const DocumentSnapshot &from, int screenZoom = 0);

// Every key a saved project gets, with its value as written, in the order of writing.
QList<std::pair<QString, QString>> projectKeys(const DocumentSnapshot &snapshot);
// The keys of the pictures' placement ("MImg-Fit", "MImg-X", "MImg-Y", "MImg-Zoom" and
// the same for "BImg"): only for a picture not stretched, or one whose keys the
// existing file already has. Readers that do not know them show the pictures stretched.
QList<std::pair<QString, QString>> placementKeys(const DocumentSnapshot &snapshot, const QByteArray &existing);
// The keys of the disc label's section [SecDisc], in the order of writing: none for
// a label nobody touched unless the existing file has the section already (it must
// then read back as the label is now).
QList<std::pair<QString, QString>> labelKeys(const DocumentSnapshot &snapshot, const QByteArray &existing);

// The project file's text for these keys: the existing file's text (empty for a new
// file) with every key set, exactly as that many single writes would leave it, in
// Windows-1250. Throws SettingsError for text the file cannot hold, in the user's
// terms ("Projekt nelze uložit: text „Obsah, řádek 13“ obsahuje znaky, …").
QByteArray projectFileText(const QByteArray &existing, const QList<std::pair<QString, QString>> &keys,
                           const QList<std::pair<QString, QString>> &discKeys = {});
// The whole text of a project file for a cover: every key of both sections set in
// the existing file's text (empty for a new file).
QByteArray projectText(const DocumentSnapshot &snapshot, const QByteArray &existing);

// What each picture side file of a cover holds, by extension (".im1" ... ".im4"): a
// picture, none (an empty one: a side file of that name is removed), or nothing known
// (the spine's remembered picture not read yet: its side file is left as it is).
QList<std::pair<const char *, std::optional<Picture>>> sidePictures(const DocumentSnapshot &snapshot);

// Saves the cover as one unit: the picture side files first, each written beside its
// target and swapped in (unchanged ones are not touched, and a side file of the
// target's name whose picture the cover does not have is removed), the project file
// last. If any step fails, what was already written is put back, so the project on
// disk stays as it was, and CommandError says which file and why, in Czech.
//
// A side file named in snapshot.keptSideFiles (one that was there when the project was
// opened but gave no picture) is left as it is while the cover has no picture for it:
// the user never removed that picture, the program only could not show it.
void saveProjectFiles(const DocumentSnapshot &snapshot, const QString &path);

// Removes what saves of this project (its file and side files) left in its folder
// when they were killed half-way: hidden files no running save holds.
void removeSaveLeftovers(const QString &path);

} // namespace korvel
