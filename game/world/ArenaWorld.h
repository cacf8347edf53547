// What the things of a match know of it. The tank, its shell and animators, the
// controllers, the effects and the network reach the match only through this interface:
// they tell the world what happened (a shot, a hit, a tank to respawn) and ask it for the
// little they need (a model placed, the bounces a shell may make); the arena screen
// implements it and alone decides what the events mean. A world is a game state, so its
// objects, flags, resources and scheme colors are the state's own.
#pragma once

#include <irrlicht.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/VexmoorGameState.h"
#include "game/arenas/ArenaGrid.h"
#include "game/arenas/MazeGenerator.h"
#include "game/world/MatchRules.h"
#include "game/settings/Settings.h"

class TGameState;
class TTank;

class TArenaWorld : public TVexmoorGameState {
    VEXMOOR_CLASS(TArenaWorld, TVexmoorGameState)

public:
    // The world a state is, or null when the state is no match.
    static TArenaWorld* Of(TGameState* state);

    // Places a colored private copy of the mesh under meshKey; raises "Unable to load "
    // followed by the key when no such mesh was loaded.
    virtual irr::scene::IMeshSceneNode* LoadModel(const std::string& meshKey, irr::video::SColor color,
                                                  irr::core::vector3df position, irr::core::vector3df rotation,
                                                  std::optional<irr::core::vector3df> outlineScale,
                                                  irr::scene::ISceneNode* parent,
                                                  std::optional<irr::core::vector3df> meshRotation) = 0;
    // Freezes every tank (1) or frees them (0), in the flag "tanks_disabled" too.
    virtual int SetTanksDisabled(int disabled) = 0;
    // The tank under `key` is done dying: it comes back at the next free moment.
    virtual int QueueTankForRespawn(const std::string& key) = 0;
    // A fresh arena: the tanks back at their starting places, shells gone.
    virtual int ResetArena() = 0;
    // The tanks' collision response against the walls and each other, made again after a
    // tank was placed by hand.
    virtual int RebuildCollisionAnimators() = 0;
    // The next color scheme, and everything drawn in its colors.
    virtual int IncrementColorScheme() = 0;
    virtual int IsInvisibleTanks() = 0;
    // The match is decided: its end plays out (flag "match_end"), then the results follow.
    virtual void PlayMatchEnd() = 0;
    // The match begins in the frame under way: its clock, its random numbers, a first step
    // that moves nothing, and its recording start here. A local match begins with its first
    // frame; a network host's when the joiner is in.
    virtual void StartMatch() = 0;
    // A network joiner's copy of the host's recording: the next piece of it (the header, a
    // block of frames, the end), in order.
    virtual void OnHostRecording(const std::vector<uint8_t>& piece) = 0;

    // Events for the presentation: `tank` fired `shell` from `muzzle`; `victim` was hit at
    // `where` by a shell of the tank of slot `shooter` (-1: of no playing tank).
    virtual void OnShot(TTank& tank, irr::scene::ISceneNode* shell, irr::scene::ISceneNode* muzzle) = 0;
    virtual void OnHit(const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where, int shooter) = 0;

    // Walls a shell may bounce off in this match; 0 for straight shells.
    int ShellBounces() const;
    // The mesh key of a built-in arena choice; RANDOM draws one of the three (FORTS for
    // the choices that are grids).
    static std::string ArenaModelFor(TArenaChoice choice);

    // The mesh key of an arena built from a grid, in the engine's mesh cache while it is played.
    static constexpr const char* kGridModel = "vexmoor:arena_grid";
    // Plays on `grid` from the next reset: its mesh goes into the mesh cache and the mesh
    // resources under kGridModel, which becomes arena_model; `maze` is the plan it was
    // generated from, if it is a maze.
    void UseArenaGrid(TArenaGrid grid, std::optional<TMazePlan> maze);
    // A grid with fewer respawn points than the tanks playing (`slots`) gets points added
    // (said on stderr), so that every tank has a place to start and come back to.
    void FitRespawnPoints();
    // Forgets the grid and takes its mesh out of the cache (a built-in arena is played or
    // the match is left).
    void DropArenaGrid();
    // The seed of the random maze played, 0 on any other arena.
    uint32_t MazeSeed() const { return maze ? maze->seed : 0; }

    // Slots, tanks and sides. Slot 0 (player 1) drives "tank2", slot 1 (player 2) "tank1",
    // slots 2 and 3 (players 3 and 4) "tank3" and "tank4"; their players are "player1" to
    // "player4". In TEAMS slots 0 and 2 play against 1 and 3.
    static const std::string& TankKeyOfSlot(int slot);
    static const std::string& PlayerKeyOfSlot(int slot);
    // The slot that drives the tank under `tankKey`, or -1.
    static int SlotOfTank(const std::string& tankKey);
    static int TeamOf(int slot) { return slot % 2; }
    // Whether the tanks of two slots fight: any two in FREE FOR ALL, in TEAMS only across teams.
    bool AreEnemies(int slotA, int slotB) const;
    // Whether a shell of `shooter`'s tank hits `victim`'s: never its own, an enemy always, a
    // team mate only with friendly fire on.
    bool ShellHits(int shooter, int victim) const;

    // The slots that play a tank in this match, in order (a duel: 0 and 1).
    std::vector<int> slots{0, 1};
    // The match's variations and each slot's tank model, taken from the settings on entry
    // (a network joiner plays the host's in their place, leaving its own settings alone).
    TMatchOptions match;
    std::array<TTankModel, kMaxPlayers> tankModels{TTankModel::Boxy, TTankModel::Sleek, TTankModel::Boxy, TTankModel::Sleek};
    // The arena this match is played in (kept for the finale).
    std::string arena_model = "arena2_model";
    // The grid of the arena played, when it is an arena file or a maze; with its plan for a maze.
    std::optional<TArenaGrid> arenaGrid;
    std::optional<TMazePlan> maze;
    // When the match is decided: the score to reach, the clock, sudden death (a network
    // joiner's follow the host's).
    TMatchRules rules;
    // Once the match is decided: the winning player (1 to 4), or in TEAMS the winning team
    // (1: players 1 and 3, 2: players 2 and 4).
    int winner = 0;
    // Shells hit tanks by their boxes: the match is watched in the orthographic view, which
    // shows the tanks as boxes (else by their collision shapes).
    bool shellsHitBoxes = false;
};
