#pragma once

namespace korvel {

// Starts the designer: the application object, fonts, the main window, the event loop.
int runDesigner(int argc, char **argv);

} // namespace korvel
