// Tavrin: the skinned, borderless GetRight log viewer.
#include "window/program.h"

int main(int argc, char** argv)
{
    return runProgram(argc, argv, Skin::Tavrin);
}
