#pragma once
#include <QString>
#include <functional>

namespace korvel {

class CoverPage;
class SpinePictureState;
class TKivINIEntry;
class TKivRegEntry;

// What the project reader and writer work on: the page, the window's INI entry
// (INIFile, section "SecCD"), the window's registry entry (Reg) and the spine
// picture state that is current. None of it needs a widget, so korvel-print loads
// projects exactly as the designer does.
struct ProjectContext {
    CoverPage &page;
    TKivINIEntry &INIFile;
    TKivRegEntry &Reg;
    SpinePictureState &spine;
    std::function<void(const QString &caption)> setCaption;
};

inline constexpr const char *kProjectSection = "SecCD";

// "Lurdan CD 1.0 - druhé vydání - " and the file name of path with its extension.
QString projectCaption(const QString &path);

// The side-file base: the project file's name without its directory and without
// its last four characters ("album.kvp" gives "album", "album" gives "a").
QString projectSideFileBase(const QString &path);

// Throws ProjectError (in Czech, naming the file) unless path is a readable project
// file: it exists, it is text and it has a "SecCD" section. Changes nothing.
void requireProjectFile(const QString &path);

// Reads a project into the page, after requireProjectFile has accepted it. Only what
// the file provides is set: everything else keeps its previous value. The caller empties BTo and BTit first, since lines
// are appended. Pictures come from the side files base.im1 (back), base.im2 (front)
// and base.im3 (spine), relative to the working directory, which is restored.
// Throws ProjectError before anything changes for a file that is not a project, and
// SettingsError or PictureError when the storage or the spine picture fails part-way.
// A missing size or height key keeps the item's own. The stretch choice follows the
// file's fitting, so an unchanged project saves as it was read.
void LoadProject(ProjectContext &context, const QString &path);

// Writes every attribute of every item, then the side files. Keys are only set,
// never removed. Throws SettingsError ("Unable to write to %s", text that code page
// Windows-1250 cannot hold) or PictureError when a side file cannot be written; the
// rest of the save does not run and the working directory is restored.
void SaveProject(ProjectContext &context, const QString &path);

} // namespace korvel
