#include "game/world/ArenaWorld.h"

#include <algorithm>
#include <typeinfo>

#include "framework/Game.h"
#include "framework/GameResource.h"
#include "game/arenas/ArenaMeshBuilder.h"

TArenaWorld* TArenaWorld::Of(TGameState* state)
{
    // Asked by every shell and controller every frame: the cast is made again only for
    // another state, or another type at the same address.
    static TGameState* last = nullptr;
    static const std::type_info* type = nullptr;
    static TArenaWorld* world = nullptr;
    if (!state) return nullptr;
    const std::type_info& now = typeid(*state);
    if (state != last || now != *type) {
        last = state;
        type = &now;
        world = dynamic_cast<TArenaWorld*>(state);
    }
    return world;
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
    case TArenaChoice::Forts:
    case TArenaChoice::RandomMaze:
    case TArenaChoice::Custom: break;
    }
    return kModels[2];
}

void TArenaWorld::UseArenaGrid(TArenaGrid grid, std::optional<TMazePlan> plan)
{
    DropArenaGrid();
    if (smgr) {
        irr::scene::SAnimatedMesh* mesh = TArenaMeshBuilder::BuildAnimated(grid);
        smgr->getMeshCache()->addMesh(kGridModel, mesh);
        mesh->drop();
        if (auto resource = TMeshResource::Create(smgr, kGridModel)) AddGameResource(kGridModel, resource);
    }
    arenaGrid = std::move(grid);
    maze = plan;
    arena_model = kGridModel;
}

void TArenaWorld::DropArenaGrid()
{
    RemoveGameResource(kGridModel);
    if (smgr)
        if (irr::scene::IAnimatedMesh* mesh = smgr->getMeshCache()->getMeshByName(kGridModel))
            smgr->getMeshCache()->removeMesh(mesh);
    arenaGrid.reset();
    maze.reset();
}
