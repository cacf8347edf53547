#include "game/VexmoorScreens.h"

#include "framework/Game.h"
#include "game/Vexmoor.h"

void TVexmoorScreens::Open() const
{
    TGame::AddGameState("InitGame", init);
    TGame::AddGameState("TitleScreen", title);
    TGame::AddGameState("CreditsScreen", credits);
    TGame::AddGameState("OptionsScreen", options);
    TGame::AddGameState("Arena", arena);
    TGame::AddGameState("StartScreen", start);
    TGame::AddGameState("ResultsScreen", results);
    TGame::AddGameState("ReplaysScreen", replays);
    // The set-up screen hears how a network match ended.
    if (auto* game = dynamic_cast<TVexmoor*>(TGame::GameInstance))
        game->networkMatchEnd = std::dynamic_pointer_cast<TNetworkMatchEnd>(start);
    TGame::SetGameState("InitGame");
}
