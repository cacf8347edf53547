#include "game/world/ArenaWorld.h"

#include <algorithm>

#include "framework/Game.h"

TArenaWorld* TArenaWorld::Of(TGameState* state)
{
    return dynamic_cast<TArenaWorld*>(state);
}

int TArenaWorld::ShellBounces() const
{
    return match.shells == TShellKind::Bouncing ? std::max(1, match.bounces) : 0;
}

std::string TArenaWorld::ArenaModelFor(TArenaChoice choice)
{
    static const char* const kModels[] = {"arena_base_model", "arena1_model", "arena2_model"};
    switch (choice) {
    case TArenaChoice::OpenField: return kModels[0];
    case TArenaChoice::Maze: return kModels[1];
    case TArenaChoice::Random: return kModels[TGame::RandomInt(0, 2)];
    case TArenaChoice::Forts: break;
    }
    return kModels[2];
}
