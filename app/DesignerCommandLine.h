#pragma once
#include <optional>

namespace korvel {

// The designer's command line: one optional project path, further arguments
// ignored. Only a first argument of --help or --version (or -h, -v) is an option:
// it is answered on standard output without opening a window, so it works
// without a display.
class DesignerCommandLine {
public:
    // The exit code when the command line was answered, nothing when the designer
    // is to start.
    static std::optional<int> answer(int argc, char **argv);
};

} // namespace korvel
