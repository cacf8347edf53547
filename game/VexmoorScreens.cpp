#include "game/VexmoorScreens.h"

#include "framework/Game.h"

void TVexmoorScreens::Open() const
{
    TGame::AddGameState("InitGame", init);
    TGame::AddGameState("TitleScreen", title);
    TGame::AddGameState("CreditsScreen", credits);
    TGame::AddGameState("OptionsScreen", options);
    TGame::AddGameState("Arena", arena);
    TGame::AddGameState("StartScreen", start);
    TGame::SetGameState("InitGame");
}
