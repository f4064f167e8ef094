#pragma once
#include <QString>
#include <functional>

#include "project/ProjectFile.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "project/SpinePictureState.h"

namespace korvel {

class CoverPage;

// The INI entry of project files: section "SecCD".
void configureProjectEntry(TKivINIEntry &entry);
// The registry entry of the remembered spine picture: \Software\TORVA\Korvel, Temp.
void configureSpinePictureEntry(TKivRegEntry &entry);

// Everything a project is read and written with, without a document: an INI entry
// and a spine picture state (which becomes the current one). The fuzz target and the
// tests of the file format read projects through it as the designer does.
class ProjectSession {
public:
    explicit ProjectSession(CoverPage &page, std::function<void(const QString &)> setCaption = {});

    // As the open command does: the two lists are emptied, then the project is read.
    void open(const QString &path);
    void save(const QString &path);

    CoverPage &page;
    TKivINIEntry ini;
    SpinePictureState spine;
    ProjectContext context;
};

} // namespace korvel
