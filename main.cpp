// Program entry: builds the game and its six screens and runs the main loop.
#include <memory>

#include "framework/Game.h"
#include "framework/ProgramEntry.h"
#include "game/ArenaScreen.h"
#include "game/CreditsScreen.h"
#include "game/GameInit.h"
#include "game/OptionsScreen.h"
#include "game/StartScreen.h"
#include "game/TitleScreen.h"
#include "game/Vexmoor.h"

int main()
{
    std::shared_ptr<TVexmoor> game;
    return RunProgram([&] {
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        TGame::AddGameState("InitGame", std::make_shared<TVexmoorGameInit>());
        TGame::AddGameState("TitleScreen", std::make_shared<TVexmoorGameTitleScreen>());
        TGame::AddGameState("CreditsScreen", std::make_shared<TVexmoorGameCreditsScreen>());
        TGame::AddGameState("OptionsScreen", std::make_shared<TVexmoorGameOptionsScreen>());
        TGame::AddGameState("Arena", std::make_shared<TVexmoorArenaScreen>());
        TGame::AddGameState("StartScreen", std::make_shared<TVexmoorGameStartScreen>());
        TGame::SetGameState("InitGame");
        game->Run();
    });
}
