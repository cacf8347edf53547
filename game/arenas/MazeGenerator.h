// Random mazes from a seed: rooms joined by a random spanning tree (a recursive
// backtracker), then a few more walls opened so that the maze has loops, with respawn
// points spread as far apart as the paths allow.
//
// The same seed, version and size give the same grid on every machine: the generation
// uses only integers and std::mt19937, whose output the C++ standard fixes (its
// distributions it does not, so none is used).
#pragma once

#include <cstdint>
#include <optional>

#include "game/arenas/ArenaGrid.h"

// Everything that decides a maze: what the host sends so that the joiner builds the same.
struct TMazePlan {
    uint32_t seed = 0;
    int version = 1;
    int roomsAcross = 8, roomsDown = 6;
};

class TMazeGenerator {
public:
    static constexpr int kVersion = 1;
    // A room is 3 x 3 cells of TArenaGrid::kDefaultCellSize (3.75 units, room for a tank
    // and the computer player's margin); walls and pillars are one cell.
    static constexpr int kRoomCells = 3;
    static constexpr int kMinRooms = 2, kMaxRooms = (TArenaGrid::kMaxSide - 1) / (kRoomCells + 1);

    // The size for a window of width x height pixels: as wide as the built-in arenas, as
    // deep as the orthographic camera shows at that aspect.
    static TMazePlan ForWindow(uint32_t seed, int width, int height);
    // The maze, or none for a version this program does not know or a size out of range.
    static std::optional<TArenaGrid> Generate(const TMazePlan& plan);
};
