#include "game/arenas/ArenaGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>

using irr::core::aabbox3df;
using irr::core::vector3df;

namespace {

constexpr TCellPos kNoCell{-1, -1};
constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

}  // namespace

TArenaGrid::TArenaGrid(std::string name, int columns, int rows, float cellSize, float wallHeight)
    : name_(std::move(name)),
      columns_(std::max(columns, 1)),
      rows_(std::max(rows, 1)),
      cellSize_(cellSize),
      wallHeight_(wallHeight),
      cells_(static_cast<size_t>(columns_ * rows_), TArenaCell::Floor),
      respawns_(kMaxRespawns, kNoCell)
{
}

std::string TArenaGrid::NumberText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

bool TArenaGrid::Contains(TCellPos cell) const
{
    return cell.column >= 0 && cell.row >= 0 && cell.column < columns_ && cell.row < rows_;
}

TArenaCell TArenaGrid::At(TCellPos cell) const
{
    return Contains(cell) ? cells_[static_cast<size_t>(Index(cell))] : TArenaCell::Wall;
}

void TArenaGrid::Set(TCellPos cell, TArenaCell kind)
{
    if (Contains(cell)) cells_[static_cast<size_t>(Index(cell))] = kind;
}

bool TArenaGrid::IsWalkableAt(const vector3df& point) const
{
    const std::optional<TCellPos> cell = CellAt(point);
    return cell && IsWalkable(*cell);
}

void TArenaGrid::SetRespawn(int number, TCellPos cell)
{
    if (number >= 1 && number <= kMaxRespawns && Contains(cell)) respawns_[static_cast<size_t>(number - 1)] = cell;
}

std::optional<TCellPos> TArenaGrid::Respawn(int number) const
{
    if (number < 1 || number > kMaxRespawns) return std::nullopt;
    const TCellPos cell = respawns_[static_cast<size_t>(number - 1)];
    if (cell == kNoCell) return std::nullopt;
    return cell;
}

int TArenaGrid::AddRespawnsUpTo(int count)
{
    std::vector<TCellPos> points = Respawns();
    if (points.empty()) return 0;
    count = std::min(count, kMaxRespawns);
    // Each cell's fewest steps to any point so far; -1 where no tank gets from point 1.
    std::vector<int> nearest = StepsFrom(points[0]);
    for (size_t i = 1; i < points.size(); ++i) {
        const std::vector<int> steps = StepsFrom(points[i]);
        for (size_t cell = 0; cell < nearest.size(); ++cell)
            if (nearest[cell] >= 0 && steps[cell] >= 0) nearest[cell] = std::min(nearest[cell], steps[cell]);
    }
    // Two tanks' widths apart at least, so that no tank stands on another's point.
    const int apart = static_cast<int>(std::ceil(2.0f * kTankClearance / cellSize_));
    int added = 0;
    while (static_cast<int>(points.size()) < count) {
        int best = -1;
        for (size_t cell = 0; cell < nearest.size(); ++cell)
            if (nearest[cell] >= apart && (best < 0 || nearest[cell] > nearest[static_cast<size_t>(best)]))
                best = static_cast<int>(cell);
        if (best < 0) break;
        const TCellPos cell{best % columns_, best / columns_};
        points.push_back(cell);
        SetRespawn(static_cast<int>(points.size()), cell);
        ++added;
        const std::vector<int> steps = StepsFrom(cell);
        for (size_t c = 0; c < nearest.size(); ++c)
            if (nearest[c] >= 0 && steps[c] >= 0) nearest[c] = std::min(nearest[c], steps[c]);
    }
    return added;
}

std::vector<TCellPos> TArenaGrid::Respawns() const
{
    std::vector<TCellPos> cells;
    for (int number = 1; number <= kMaxRespawns; ++number) {
        const std::optional<TCellPos> cell = Respawn(number);
        if (!cell) break;
        cells.push_back(*cell);
    }
    return cells;
}

vector3df TArenaGrid::CellCenter(TCellPos cell) const
{
    return CellBox(cell).getCenter();
}

aabbox3df TArenaGrid::CellBox(TCellPos cell) const
{
    const float west = -0.5f * static_cast<float>(columns_) * cellSize_;
    const float north = kCenterZ + 0.5f * static_cast<float>(rows_) * cellSize_;
    const float x0 = west + static_cast<float>(cell.column) * cellSize_;
    const float z1 = north - static_cast<float>(cell.row) * cellSize_;
    return aabbox3df(x0, 0.0f, z1 - cellSize_, x0 + cellSize_, 0.0f, z1);
}

std::optional<TCellPos> TArenaGrid::CellAt(const vector3df& point) const
{
    const aabbox3df first = CellBox({0, 0});
    const int column = static_cast<int>(std::floor((point.X - first.MinEdge.X) / cellSize_));
    const int row = static_cast<int>(std::floor((first.MaxEdge.Z - point.Z) / cellSize_));
    const TCellPos cell{column, row};
    if (!Contains(cell)) return std::nullopt;
    return cell;
}

aabbox3df TArenaGrid::Bounds() const
{
    aabbox3df box = CellBox({0, 0});
    box.addInternalBox(CellBox({columns_ - 1, rows_ - 1}));
    box.MaxEdge.Y = wallHeight_;
    return box;
}

std::vector<vector3df> TArenaGrid::RespawnPositions() const
{
    std::vector<vector3df> positions;
    for (const TCellPos& cell : Respawns()) positions.push_back(CellCenter(cell));
    return positions;
}

std::vector<std::pair<TCellPos, TCellPos>> TArenaGrid::MergedRuns(TArenaCell kind) const
{
    std::vector<std::pair<TCellPos, TCellPos>> runs;
    std::vector<bool> taken(cells_.size(), false);
    auto free = [&](int column, int row) {
        const TCellPos cell{column, row};
        return At(cell) == kind && Contains(cell) && !taken[static_cast<size_t>(Index(cell))];
    };
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            if (!free(column, row)) continue;
            int last = column;
            while (free(last + 1, row)) ++last;
            // Grow downwards while the next row holds the same run, all of it free.
            int bottom = row;
            for (;;) {
                bool whole = true;
                for (int c = column; c <= last && whole; ++c) whole = free(c, bottom + 1);
                if (!whole) break;
                ++bottom;
            }
            for (int r = row; r <= bottom; ++r)
                for (int c = column; c <= last; ++c) taken[static_cast<size_t>(Index({c, r}))] = true;
            runs.push_back({{column, row}, {last, bottom}});
            column = last;
        }
    }
    return runs;
}

aabbox3df TArenaGrid::RunBox(const std::pair<TCellPos, TCellPos>& run, float height) const
{
    aabbox3df box = CellBox(run.first);
    box.addInternalBox(CellBox(run.second));
    box.MaxEdge.Y = height;
    return box;
}

std::vector<aabbox3df> TArenaGrid::WallBoxes() const
{
    std::vector<aabbox3df> boxes;
    for (const auto& run : MergedRuns(TArenaCell::Wall)) boxes.push_back(RunBox(run, wallHeight_));
    return boxes;
}

std::vector<aabbox3df> TArenaGrid::LowBlockBoxes() const
{
    std::vector<aabbox3df> boxes;
    for (const auto& run : MergedRuns(TArenaCell::LowBlock)) boxes.push_back(RunBox(run, kLowBlockHeight));
    return boxes;
}

bool TArenaGrid::TankFits(TCellPos cell) const
{
    if (!IsWalkable(cell)) return false;
    // A blocked cell d cells away (each way) is max(0, |d| - 1/2) cells from this centre.
    const int reach = static_cast<int>(std::ceil(kTankClearance / cellSize_ + 0.5f));
    const float limit = (kTankClearance / cellSize_) * (kTankClearance / cellSize_);
    for (int dr = -reach; dr <= reach; ++dr) {
        for (int dc = -reach; dc <= reach; ++dc) {
            if (IsWalkable({cell.column + dc, cell.row + dr})) continue;
            const float gapX = std::max(0.0f, static_cast<float>(std::abs(dc)) - 0.5f);
            const float gapZ = std::max(0.0f, static_cast<float>(std::abs(dr)) - 0.5f);
            if (gapX * gapX + gapZ * gapZ < limit) return false;
        }
    }
    return true;
}

std::vector<int> TArenaGrid::StepsFrom(TCellPos from) const
{
    std::vector<int> steps(cells_.size(), -1);
    if (!TankFits(from)) return steps;
    // 0 not yet asked, 1 fits, 2 does not.
    std::vector<uint8_t> fits(cells_.size(), 0);
    auto fitsAt = [&](TCellPos cell) {
        uint8_t& known = fits[static_cast<size_t>(Index(cell))];
        if (known == 0) known = TankFits(cell) ? 1 : 2;
        return known == 1;
    };
    std::deque<TCellPos> queue{from};
    steps[static_cast<size_t>(Index(from))] = 0;
    while (!queue.empty()) {
        const TCellPos cell = queue.front();
        queue.pop_front();
        const int next = steps[static_cast<size_t>(Index(cell))] + 1;
        for (const auto& step : kSteps) {
            const TCellPos to{cell.column + step[0], cell.row + step[1]};
            if (!Contains(to) || steps[static_cast<size_t>(Index(to))] >= 0 || !fitsAt(to)) continue;
            steps[static_cast<size_t>(Index(to))] = next;
            queue.push_back(to);
        }
    }
    return steps;
}

std::optional<TArenaFault> TArenaGrid::FindFault() const
{
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            const bool edge = row == 0 || column == 0 || row == rows_ - 1 || column == columns_ - 1;
            if (edge && At({column, row}) != TArenaCell::Wall)
                return TArenaFault{{column, row}, "the boundary is open: every cell on the edge must be a wall '#'"};
        }
    }
    for (int number = 2; number <= kMaxRespawns; ++number) {
        if (Respawn(number) && !Respawn(number - 1))
            return TArenaFault{*Respawn(number), "respawn point " + std::to_string(number) +
                                                     " but no respawn point " + std::to_string(number - 1)};
    }
    const std::vector<TCellPos> points = Respawns();
    if (points.size() < 2)
        return TArenaFault{points.empty() ? TCellPos{0, 0} : points[0],
                           "fewer than two respawn points (the tanks start on 1 and 2)"};
    for (size_t i = 0; i < points.size(); ++i) {
        const std::string name = "respawn point " + std::to_string(i + 1);
        if (!IsWalkable(points[i])) return TArenaFault{points[i], name + " is in a wall"};
        if (!TankFits(points[i]))
            return TArenaFault{points[i], name + " is too close to a wall: a tank needs " +
                                              NumberText(kTankClearance) + " all round"};
    }
    const std::vector<int> steps = StepsFrom(points[0]);
    for (size_t i = 1; i < points.size(); ++i) {
        if (steps[static_cast<size_t>(Index(points[i]))] < 0)
            return TArenaFault{points[i], "respawn point " + std::to_string(i + 1) +
                                              " cannot be reached from respawn point 1 by a tank"};
    }
    return std::nullopt;
}

std::string TArenaGrid::ToText() const
{
    std::string text = "name = " + name_ + "\n";
    text += "cell size = " + NumberText(cellSize_) + "\n";
    text += "wall height = " + NumberText(wallHeight_) + "\n";
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            const TCellPos cell{column, row};
            const TArenaCell kind = At(cell);
            char c = kind == TArenaCell::Wall ? kWallChar : kind == TArenaCell::LowBlock ? kLowBlockChar : kFloorChar;
            for (int number = 1; number <= kMaxRespawns; ++number)
                if (Respawn(number) == cell) c = static_cast<char>('0' + number);
            text += c;
        }
        text += '\n';
    }
    return text;
}

bool TArenaGrid::operator==(const TArenaGrid& other) const
{
    return name_ == other.name_ && columns_ == other.columns_ && rows_ == other.rows_ &&
           cellSize_ == other.cellSize_ && wallHeight_ == other.wallHeight_ && cells_ == other.cells_ &&
           respawns_ == other.respawns_;
}
