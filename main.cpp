// Program entry: builds the game and its six screens and runs the main loop.
#include <memory>

#include "framework/Game.h"
#include "framework/ProgramEntry.h"
#include "game/Vexmoor.h"
#include "game/VexmoorScreens.h"

int main()
{
    std::shared_ptr<TVexmoor> game;
    return RunProgram([&] {
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        TVexmoorScreens().Open();
        game->Run();
    });
}
