// Program entry: builds the game and its six screens, runs the main loop, and turns an
// uncaught runtime error into its message on stderr and exit status 255.
#include <exception>
#include <iostream>
#include <memory>

#include "framework/Game.h"
#include "game/ArenaScreen.h"
#include "game/CreditsScreen.h"
#include "game/GameInit.h"
#include "game/OptionsScreen.h"
#include "game/StartScreen.h"
#include "game/TitleScreen.h"
#include "game/Vexmoor.h"

int main()
{
    int status = 0;
    try {
        TGame::InitClassData();
        auto game = std::make_shared<TVexmoor>();
        TGame::AddGameState("InitGame", std::make_shared<TVexmoorGameInit>());
        TGame::AddGameState("TitleScreen", std::make_shared<TVexmoorGameTitleScreen>());
        TGame::AddGameState("CreditsScreen", std::make_shared<TVexmoorGameCreditsScreen>());
        TGame::AddGameState("OptionsScreen", std::make_shared<TVexmoorGameOptionsScreen>());
        TGame::AddGameState("Arena", std::make_shared<TVexmoorArenaScreen>());
        TGame::AddGameState("StartScreen", std::make_shared<TVexmoorGameStartScreen>());
        TGame::SetGameState("InitGame");
        game->Run();
        TGame::ReleaseClassData();
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        TGame::ReleaseClassData();
        status = 255;
    }
    return status;
}
