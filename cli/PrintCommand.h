#pragma once

namespace korvel {

// korvel-print [--dpi N] [PROJECT] OUTPUT: prints the page without a window.
int runPrintCommand(int argc, char **argv);

} // namespace korvel
