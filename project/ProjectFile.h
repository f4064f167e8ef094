#pragma once
#include <QString>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <utility>

namespace korvel {

class CoverPage;
class SpinePictureState;
class TKivINIEntry;
struct DocumentSnapshot;

// What the project reader and writer work on: the page, an INI entry (section
// "SecCD") and the spine picture state. None of it needs a widget, so korvel-print
// loads projects exactly as the designer does.
struct ProjectContext {
    CoverPage &page;
    TKivINIEntry &INIFile;
    SpinePictureState &spine;
    std::function<void(const QString &caption)> setCaption;
    // What the load could not read but went on without (a damaged picture side
    // file), in Czech, one message each; none when null.
    QStringList *problems = nullptr;
    // The side files among those that exist but gave no picture (absolute paths); none
    // kept when null.
    QStringList *unreadable = nullptr;
};

inline constexpr const char *kProjectSection = "SecCD";

// "Lurdan CD 1.0 - druhé vydání - " and the file name of path with its extension.
QString projectCaption(const QString &path);

// The side-file base: the project file's name without its directory and without
// its last four characters ("album.kvp" gives "album", "album" gives "a").
QString projectSideFileBase(const QString &path);

// What the user is told of a side file that exists but gives no picture:
// "Obrázek přední strany (album.im2) nelze načíst: why". extension is ".im1" (back),
// ".im2" (front) or ".im3" (spine).
QString sideFileProblem(const QString &base, const char *extension, const QString &why);

// Whether these bytes are a project's text: no zero byte (a picture, UTF-16, a file
// zeroed by a power cut) and a "SecCD" section.
bool isProjectText(const QByteArray &content);

// Throws ProjectError (in Czech, naming the file) unless path is a readable project
// file: it exists, it is text and it has a "SecCD" section. Changes nothing.
void requireProjectFile(const QString &path);

// Reads a project into the page, after requireProjectFile has accepted it. Only what
// the file provides is set: everything else keeps its previous value. The caller
// empties BTo and BTit first, since lines are appended. Pictures come from the side
// files base.im1 (back), base.im2 (front) and base.im3 (spine) in the project's own
// folder, whatever the program's working folder; the spine state remembers the bare
// base and takes that folder for it. Throws ProjectError before anything changes for
// a file that is not a project, and SettingsError or PictureError when the storage
// or the spine picture fails part-way. A missing size or height key keeps the item's
// own. The stretch choice follows the file's fitting, so an unchanged project saves
// as it was read. A side file that is there but that no loader reads is reported in
// context.problems ("Obrázek přední strany (album.im2) nelze načíst: …"); one that
// is not there is no problem.
void LoadProject(ProjectContext &context, const QString &path);

// Every key a saved project gets, with its value as written, in the order of writing.
QList<std::pair<QString, QString>> projectKeys(const DocumentSnapshot &snapshot);
// The keys of the pictures' placement ("MImg-Fit", "MImg-X", "MImg-Y", "MImg-Zoom" and
// the same for "BImg"): only for a picture not stretched, or one whose keys the
// existing file already has. Readers that do not know them show the pictures stretched.
QList<std::pair<QString, QString>> placementKeys(const DocumentSnapshot &snapshot, const QByteArray &existing);

// The project file's text for these keys: the existing file's text (empty for a new
// file) with every key set, exactly as that many single writes would leave it, in
// Windows-1250. Throws SettingsError for text the file cannot hold, in the user's
// terms ("Projekt nelze uložit: text „Obsah, řádek 13“ obsahuje znaky, …").
QByteArray projectFileText(const QByteArray &existing, const QList<std::pair<QString, QString>> &keys);

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

// Writes the page the context holds as saveProjectFiles does; the INI entry is
// pointed at the file and the caption names it.
void SaveProject(ProjectContext &context, const QString &path);

} // namespace korvel
