#pragma once
#include "settings/CommandError.h"

namespace korvel {

// A file that cannot be opened as a project at all: missing, unreadable, or not a
// project (no "SecCD" section, not text). Thrown before anything is changed; the
// message is in Czech and names the file.
class ProjectError : public CommandError {
public:
    using CommandError::CommandError;
};

} // namespace korvel
