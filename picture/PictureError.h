#pragma once
#include "settings/CommandError.h"

namespace korvel {

// A picture that could not be loaded or saved where the failure must end the user's
// command (the spine picture switch run by a project load, for instance).
class PictureError : public CommandError {
public:
    using CommandError::CommandError;
};

} // namespace korvel
