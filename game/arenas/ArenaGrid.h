// An arena as a grid of cells (walls, floor, low blocks, respawn points), whether it came
// from a file or the maze generator, and what the game needs from it in world units.
//
// World axes are the game's: x right, y up, z forward (up the screen in the overhead
// views). Row 0 is the far (north) edge, column 0 the west edge, so the text of an arena
// reads as the overhead camera shows it. The grid is centred on the built-in arenas'
// centre (0, 0, kCenterZ).
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TArenaCell : uint8_t { Floor, Wall, LowBlock };

struct TCellPos {
    int column = 0, row = 0;
    bool operator==(const TCellPos& other) const { return column == other.column && row == other.row; }
};

// What is wrong with a grid, and at which cell.
struct TArenaFault {
    TCellPos cell;
    std::string what;
};

class TArenaGrid {
public:
    static constexpr int kMaxSide = 64;
    static constexpr int kMaxRespawns = 6;
    static constexpr int kMaxNameLength = 24;
    static constexpr float kDefaultCellSize = 1.25f;
    static constexpr float kDefaultWallHeight = 1.2f;
    static constexpr float kMinCellSize = 0.5f, kMaxCellSize = 5.0f;
    static constexpr float kMinWallHeight = 0.5f, kMaxWallHeight = 5.0f;
    // Low blocks stop tanks but not shells, which fly at 0.35 and up with a radius of 0.06.
    static constexpr float kLowBlockHeight = 0.2f;
    // How far a respawn point and the way between respawn points keep from every wall: the
    // larger tank's collision radius (1.25) and the computer player's margin (0.25).
    static constexpr float kTankClearance = 1.5f;
    static constexpr float kCenterZ = 1.5f;
    // The characters of the file format.
    static constexpr char kWallChar = '#', kFloorChar = '.', kLowBlockChar = 'o';

    // An arena of the given size, all floor, without respawn points.
    TArenaGrid(std::string name, int columns, int rows, float cellSize = kDefaultCellSize,
               float wallHeight = kDefaultWallHeight);

    const std::string& Name() const { return name_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    float CellSize() const { return cellSize_; }
    float WallHeight() const { return wallHeight_; }

    bool Contains(TCellPos cell) const;
    // Outside the grid counts as wall.
    TArenaCell At(TCellPos cell) const;
    void Set(TCellPos cell, TArenaCell kind);
    // Floor, respawn points included.
    bool IsWalkable(TCellPos cell) const { return At(cell) == TArenaCell::Floor; }
    // The ground point (x, z) lies on a floor cell.
    bool IsWalkableAt(const irr::core::vector3df& point) const;

    // Respawn point `number` (1..kMaxRespawns) on a cell; an earlier place of the same
    // number is replaced. Points 1 and 2 are where the two tanks start.
    void SetRespawn(int number, TCellPos cell);
    // The cells of respawn points 1, 2, ... up to the first number that has none.
    std::vector<TCellPos> Respawns() const;
    // Respawn point `number`'s cell, if it has one.
    std::optional<TCellPos> Respawn(int number) const;
    // Adds respawn points after the last until there are `count` (at most kMaxRespawns), for
    // an arena with fewer points than tanks: each on the cell a tank fits on, reachable from
    // point 1, farthest (in steps) from every point so far and two tanks' widths from each. The points there stay as they
    // are. How many were added: fewer where no cell is left.
    int AddRespawnsUpTo(int count);

    // World geometry.
    irr::core::vector3df CellCenter(TCellPos cell) const;
    std::optional<TCellPos> CellAt(const irr::core::vector3df& point) const;
    // The ground box of a cell (y 0 to 0).
    irr::core::aabbox3df CellBox(TCellPos cell) const;
    // The whole grid, from the ground to the wall tops.
    irr::core::aabbox3df Bounds() const;
    // The respawn points' ground positions, in number order.
    std::vector<irr::core::vector3df> RespawnPositions() const;
    // The walls (then the low blocks) as few boxes: runs of cells merged along rows, then
    // equal runs of following rows merged into rectangles. Every cell of that kind lies in
    // exactly one box.
    std::vector<irr::core::aabbox3df> WallBoxes() const;
    std::vector<irr::core::aabbox3df> LowBlockBoxes() const;
    // The same merge in cells: each rectangle as its first and last cell.
    std::vector<std::pair<TCellPos, TCellPos>> MergedRuns(TArenaCell kind) const;

    // A tank (kTankClearance) fits with its centre on the cell's centre: no wall, low block
    // or grid edge comes closer.
    bool TankFits(TCellPos cell) const;
    // Steps (side by side, through cells a tank fits on) from `from` to every cell; -1 for
    // cells that cannot be reached, or all -1 when no tank fits on `from`.
    std::vector<int> StepsFrom(TCellPos from) const;
    int Index(TCellPos cell) const { return cell.row * columns_ + cell.column; }

    // The first thing that makes the grid unplayable: an edge cell that is not wall, fewer
    // than two respawn points, a gap in their numbers, a respawn point off the floor, where
    // no tank fits, or that cannot be reached from point 1.
    std::optional<TArenaFault> FindFault() const;

    // The shortest text that reads back as `value`, whatever the locale ("1.25").
    static std::string NumberText(float value);
    // The arena in the file format (name, settings, grid), which reads back to an equal grid.
    std::string ToText() const;

    bool operator==(const TArenaGrid& other) const;
    bool operator!=(const TArenaGrid& other) const { return !(*this == other); }

private:
    irr::core::aabbox3df RunBox(const std::pair<TCellPos, TCellPos>& run, float height) const;

    std::string name_;
    int columns_, rows_;
    float cellSize_, wallHeight_;
    std::vector<TArenaCell> cells_;
    // By number - 1; column -1 when the number has no point.
    std::vector<TCellPos> respawns_;
};
