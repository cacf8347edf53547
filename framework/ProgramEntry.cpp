#include "framework/ProgramEntry.h"

#include <exception>
#include <iostream>

#include "framework/Game.h"

int RunProgram(const std::function<void()>& body)
{
    int status = 0;
    try {
        body();
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        status = 255;
    }
    // The states let go of their objects before the engine and the sound service do.
    TGame::ReleaseClassData();
    return status;
}
