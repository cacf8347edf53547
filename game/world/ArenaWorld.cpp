#include "game/world/ArenaWorld.h"

#include <algorithm>
#include <iostream>
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

void TArenaWorld::FitRespawnPoints()
{
    if (!arenaGrid) return;
    const int had = static_cast<int>(arenaGrid->RespawnPositions().size());
    const int needed = static_cast<int>(slots.size());
    if (had >= needed) return;
    const int added = arenaGrid->AddRespawnsUpTo(needed);
    std::cerr << "arena \"" << arenaGrid->Name() << "\": " << had << " respawn points for " << needed << " tanks, added "
              << added << std::endl;
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

const std::string& TArenaWorld::TankKeyOfSlot(int slot)
{
    static const std::string kKeys[kMaxPlayers] = {"tank2", "tank1", "tank3", "tank4"};
    static const std::string kNone;
    return slot >= 0 && slot < kMaxPlayers ? kKeys[slot] : kNone;
}

const std::string& TArenaWorld::PlayerKeyOfSlot(int slot)
{
    static const std::string kKeys[kMaxPlayers] = {"player1", "player2", "player3", "player4"};
    static const std::string kNone;
    return slot >= 0 && slot < kMaxPlayers ? kKeys[slot] : kNone;
}

int TArenaWorld::SlotOfTank(const std::string& tankKey)
{
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        if (TankKeyOfSlot(slot) == tankKey) return slot;
    return -1;
}

bool TArenaWorld::AreEnemies(int slotA, int slotB) const
{
    if (slotA == slotB) return false;
    return match.mode == TMatchMode::FreeForAll || TeamOf(slotA) != TeamOf(slotB);
}

bool TArenaWorld::ShellHits(int shooter, int victim) const
{
    if (shooter == victim) return false;
    return AreEnemies(shooter, victim) || match.friendlyFire;
}
