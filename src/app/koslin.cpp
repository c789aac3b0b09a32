// Koslin: the plain build, in an ordinary titled window.
#include "window/program.h"

int main(int argc, char** argv)
{
    return runProgram(argc, argv, Skin::Koslin);
}
