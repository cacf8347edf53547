// Runs a program's body the way the game's entry does: an uncaught runtime error ends it
// with its message on stderr and exit status 255 (-1).
#pragma once

#include <functional>

int RunProgram(const std::function<void()>& body);
