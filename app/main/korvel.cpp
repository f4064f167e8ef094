#include "app/Application.h"

int main(int argc, char **argv)
{
    return korvel::runDesigner(argc, argv);
}
