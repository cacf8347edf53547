// A walkable grid over the arena floor, built once per arena from its collision
// triangles: every cell knows its ground distance to the nearest wall, and a cell is open
// when a tank's collision radius and a margin fit there. Paths are planned over open
// cells with A* (or a nearest-goal search) and smoothed to straight legs.
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TNavGrid {
public:
    static constexpr float kCellSize = 0.25f;
    // Walls wider apart than this many cells get a grid of one closed cell (a line on stderr).
    static constexpr long kMaxCells = 4L * 1024 * 1024;

    // walls: the arena's triangles in world space; clearance: how far a cell's center must
    // stay from every wall to be open.
    TNavGrid(const std::vector<irr::core::triangle3df>& walls, float clearance);

    // The grid of the arena whose triangle selector is `walls` for `clearance`: built the
    // first time and shared while the same triangles are asked for again.
    static std::shared_ptr<const TNavGrid> ForWalls(irr::scene::ITriangleSelector* walls, float clearance);

    // Ground distance from p to the nearest wall (capped a few units out; 0 inside one).
    float WallDistance(const irr::core::vector3df& p) const;
    bool IsOpen(const irr::core::vector3df& p) const { return WallDistance(p) >= clearance_; }
    // Every point of the ground segment a-b is open.
    bool ClearPath(const irr::core::vector3df& a, const irr::core::vector3df& b) const;
    // The ground segment a-b keeps `radius` off every wall (a shot's coarse test): every
    // point of it, taken every half cell, is on a cell at least `radius` from a wall.
    bool ClearShot(const irr::core::vector3df& a, const irr::core::vector3df& b, float radius) const;
    // True when no wall triangle comes within `halfWidth` of the level segment from-to at
    // from's height, so that a ray along it, or beside it within halfWidth, meets none; false
    // when one may (then only a ray can tell).
    bool SurelyMissesWalls(const irr::core::vector3df& from, const irr::core::vector3df& to, float halfWidth) const;
    // The open cell center nearest to p (p itself when the grid has no open cell).
    irr::core::vector3df NearestOpen(const irr::core::vector3df& p) const;

    // The shortest open path from `from` to `to`, as smoothed ground points ending at `to`'s
    // cell; empty when there is none.
    std::vector<irr::core::vector3df> FindPath(const irr::core::vector3df& from, const irr::core::vector3df& to) const;
    // The shortest open path from `from` to the nearest cell (by path length) whose center
    // satisfies `goal`; empty when no reachable cell does.
    std::vector<irr::core::vector3df> PathToNearest(const irr::core::vector3df& from,
                                                    const std::function<bool(const irr::core::vector3df&)>& goal) const;

    // The open cells reachable from `from`, as their centers.
    std::vector<irr::core::vector3df> Reachable(const irr::core::vector3df& from) const;
    // One of those cells, by number (taken modulo their count); none when there are none.
    std::optional<irr::core::vector3df> ReachableAt(const irr::core::vector3df& from, size_t number) const;

    float Clearance() const { return clearance_; }
    int Width() const { return width_; }
    int Depth() const { return depth_; }

private:
    int CellOf(const irr::core::vector3df& p) const;
    irr::core::vector3df CenterOf(int cell) const;
    bool OpenCell(int cell) const { return distance_[cell] >= clearance_; }
    std::vector<irr::core::vector3df> Search(int start, int goal,
                                             const std::function<bool(const irr::core::vector3df&)>* test) const;
    std::vector<irr::core::vector3df> Smooth(const std::vector<int>& cells) const;
    void FindAreas();
    void FindMoves();
    const std::vector<int>* AreaOf(const irr::core::vector3df& from) const;

    float clearance_;
    float minX_ = 0.0f, minZ_ = 0.0f;
    int width_ = 0, depth_ = 0;
    std::vector<float> distance_;
    // For the search: the steps a cell allows (bit k for step k: the neighbour is open and a
    // diagonal cuts no corner), what entering a cell costs per unit of length, and how far
    // each step moves in the cell list.
    std::vector<uint8_t> moves_;
    std::vector<float> enterCost_;
    int stepOffset_[8] = {};
    // The open cells fall into areas joined side by side: each cell's area (-1 closed) and
    // every area's cells.
    std::vector<int> area_;
    std::vector<std::vector<int>> areaCells_;

    // A search's working memory, kept between searches so that none clears or allocates
    // the whole grid: a cell's cost and origin count only where its mark is this search's.
    // (Brains share a grid; they all think on the game's one thread.)
    struct Scratch {
        std::vector<float> cost;
        std::vector<int> from;
        std::vector<uint32_t> reached, done;
        std::vector<std::pair<float, int>> open;
        uint32_t search = 0;
    };
    mutable Scratch scratch_;
};
