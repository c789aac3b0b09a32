#pragma once

#include "window/skin.h"

// Runs one of the two programs: the application, its window in the given skin
// over GetRight's Wine prefix, until the window closes.
int runProgram(int& argc, char** argv, Skin skin);
