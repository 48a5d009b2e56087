#include "program.h"

int main(int argc, char **argv)
{
    return lumox::runProgram(argc, argv);
}
