#include "project/PrintCommand.h"

#include <cstdio>

namespace korvel {

int runPrintCommand(int, char **)
{
    std::fprintf(stderr, "korvel-print: not available yet\n");
    return 2;
}

} // namespace korvel
