#include "cli/PrintCommand.h"

int main(int argc, char **argv)
{
    return korvel::runPrintCommand(argc, argv);
}
