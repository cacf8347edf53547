// Program entry: reads the command line and the settings, builds the game and its six
// screens and runs the main loop.
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
        game->UseSettingsFile(TSettingsFile::FromEnvironment());
        TVexmoorScreens screens;
        screens.init->width = game->settings.windowWidth;
        screens.init->height = game->settings.windowHeight;
        screens.Open();
        game->Run();
    });
}
