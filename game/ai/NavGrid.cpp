#include "game/ai/NavGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <limits>

using irr::core::vector3df;

namespace {

// Distances are kept up to this far from a wall; farther counts as this far.
constexpr float kDistanceCap = 4.0f;
// Triangles wholly above this height cannot stop a tank; triangles flat on the ground
// (a floor) do not either.
constexpr float kTankHeight = 2.0f;
constexpr float kFloorHeight = 0.05f;
// Each step near a wall costs more (see FindMoves).
constexpr float kComfortMargin = 1.0f;
constexpr float kNearWallCost = 3.0f;
// How far apart the centers of two points' cells can be beyond the points' own distance.
constexpr float kCellDiagonal = TNavGrid::kCellSize * 1.41421356f;
// Room for rounding in the bounds that let a march skip samples.
constexpr float kRounding = 1e-3f;

// The eight steps of the search, the straight ones first, and their lengths.
constexpr int kSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr float kStraight = TNavGrid::kCellSize;
const float kDiagonal = std::sqrt(2.0f) * TNavGrid::kCellSize;
const float kStepLength[8] = {kStraight, kStraight, kStraight, kStraight, kDiagonal, kDiagonal, kDiagonal, kDiagonal};

struct Point2 {
    float x, z;
};

float SegmentDistance(Point2 p, Point2 a, Point2 b)
{
    const float dx = b.x - a.x, dz = b.z - a.z;
    const float length2 = dx * dx + dz * dz;
    float t = length2 > 0.0f ? ((p.x - a.x) * dx + (p.z - a.z) * dz) / length2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = a.x + t * dx - p.x, ez = a.z + t * dz - p.z;
    return std::sqrt(ex * ex + ez * ez);
}

float Cross(Point2 o, Point2 a, Point2 b)
{
    return (a.x - o.x) * (b.z - o.z) - (a.z - o.z) * (b.x - o.x);
}

bool InsideTriangle(Point2 p, Point2 a, Point2 b, Point2 c)
{
    const float d1 = Cross(a, b, p), d2 = Cross(b, c, p), d3 = Cross(c, a, p);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

uint64_t Fnv(uint64_t hash, const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

}  // namespace

TNavGrid::TNavGrid(const std::vector<irr::core::triangle3df>& walls, float clearance) : clearance_(clearance)
{
    float maxX = -1e9f, maxZ = -1e9f;
    minX_ = minZ_ = 1e9f;
    for (const auto& t : walls)
        for (const vector3df& p : {t.pointA, t.pointB, t.pointC}) {
            minX_ = std::min(minX_, p.X);
            minZ_ = std::min(minZ_, p.Z);
            maxX = std::max(maxX, p.X);
            maxZ = std::max(maxZ, p.Z);
        }
    if (walls.empty()) minX_ = minZ_ = maxX = maxZ = 0.0f;
    minX_ -= kCellSize;
    minZ_ -= kCellSize;
    const double width = std::ceil((static_cast<double>(maxX) - minX_) / kCellSize) + 2;
    const double depth = std::ceil((static_cast<double>(maxZ) - minZ_) / kCellSize) + 2;
    if (!(width * depth <= static_cast<double>(kMaxCells))) {
        // Walls this far apart are no arena: one closed cell, so the computer plans nothing
        // and every shot is left to the rays.
        std::cerr << "navigation: the walls span " << width * kCellSize << " by " << depth * kCellSize
                  << " units, more than a grid of " << kMaxCells << " cells covers; no paths are planned" << std::endl;
        minX_ = minZ_ = 0.0f;
        width_ = depth_ = 1;
        distance_.assign(1, 0.0f);
        FindAreas();
        FindMoves();
        return;
    }
    width_ = static_cast<int>(width);
    depth_ = static_cast<int>(depth);
    distance_.assign(static_cast<size_t>(width_) * depth_, kDistanceCap);

    // Each wall triangle, seen from above, lowers the distance of the cells around it.
    for (const auto& t : walls) {
        const float low = std::min({t.pointA.Y, t.pointB.Y, t.pointC.Y});
        const float high = std::max({t.pointA.Y, t.pointB.Y, t.pointC.Y});
        if (low > kTankHeight || high < kFloorHeight) continue;
        const Point2 a{t.pointA.X, t.pointA.Z}, b{t.pointB.X, t.pointB.Z}, c{t.pointC.X, t.pointC.Z};
        const bool flat = std::fabs(Cross(a, b, c)) > 1e-6f;
        const int x0 = std::max(0, static_cast<int>((std::min({a.x, b.x, c.x}) - kDistanceCap - minX_) / kCellSize));
        const int x1 = std::min(width_ - 1, static_cast<int>((std::max({a.x, b.x, c.x}) + kDistanceCap - minX_) / kCellSize));
        const int z0 = std::max(0, static_cast<int>((std::min({a.z, b.z, c.z}) - kDistanceCap - minZ_) / kCellSize));
        const int z1 = std::min(depth_ - 1, static_cast<int>((std::max({a.z, b.z, c.z}) + kDistanceCap - minZ_) / kCellSize));
        for (int z = z0; z <= z1; ++z)
            for (int x = x0; x <= x1; ++x) {
                float& cell = distance_[static_cast<size_t>(z) * width_ + x];
                if (cell == 0.0f) continue;
                const Point2 p{minX_ + (x + 0.5f) * kCellSize, minZ_ + (z + 0.5f) * kCellSize};
                if (flat && InsideTriangle(p, a, b, c)) {
                    cell = 0.0f;
                    continue;
                }
                cell = std::min({cell, SegmentDistance(p, a, b), SegmentDistance(p, b, c), SegmentDistance(p, c, a)});
            }
    }
    FindAreas();
    FindMoves();
}

void TNavGrid::FindMoves()
{
    moves_.assign(distance_.size(), 0);
    enterCost_.resize(distance_.size());
    for (int k = 0; k < 8; ++k) stepOffset_[k] = kSteps[k][1] * width_ + kSteps[k][0];
    for (int z = 0; z < depth_; ++z)
        for (int x = 0; x < width_; ++x) {
            const int cell = z * width_ + x;
            // Each step near a wall costs more, so paths keep to the middle of the lanes.
            const float nearWall = std::max(0.0f, clearance_ + kComfortMargin - distance_[cell]);
            enterCost_[cell] = 1.0f + kNearWallCost * nearWall;
            for (int k = 0; k < 8; ++k) {
                const int nx = x + kSteps[k][0], nz = z + kSteps[k][1];
                if (nx < 0 || nz < 0 || nx >= width_ || nz >= depth_ || !OpenCell(nz * width_ + nx)) continue;
                // No cutting a corner between two closed cells.
                if (kSteps[k][0] && kSteps[k][1] && (!OpenCell(z * width_ + nx) || !OpenCell(nz * width_ + x))) continue;
                moves_[cell] |= static_cast<uint8_t>(1u << k);
            }
        }
}

// Labels the open cells by area, flooding side by side from each cell not yet labelled.
void TNavGrid::FindAreas()
{
    area_.assign(distance_.size(), -1);
    std::vector<int> queue;
    for (int first = 0; first < static_cast<int>(distance_.size()); ++first) {
        if (area_[first] >= 0 || !OpenCell(first)) continue;
        const int area = static_cast<int>(areaCells_.size());
        queue.assign(1, first);
        area_[first] = area;
        for (size_t i = 0; i < queue.size(); ++i) {
            const int cell = queue[i];
            const int x = cell % width_, z = cell / width_;
            const int next[4][2] = {{x + 1, z}, {x - 1, z}, {x, z + 1}, {x, z - 1}};
            for (const auto& n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= width_ || n[1] >= depth_) continue;
                const int c = n[1] * width_ + n[0];
                if (area_[c] >= 0 || !OpenCell(c)) continue;
                area_[c] = area;
                queue.push_back(c);
            }
        }
        areaCells_.push_back(queue);
    }
}

std::shared_ptr<const TNavGrid> TNavGrid::ForWalls(irr::scene::ITriangleSelector* walls, float clearance)
{
    if (!walls) return nullptr;
    const irr::s32 count = walls->getTriangleCount();
    std::vector<irr::core::triangle3df> triangles(static_cast<size_t>(std::max(count, 0)));
    irr::s32 got = 0;
    if (count > 0) walls->getTriangles(triangles.data(), count, got, nullptr);
    triangles.resize(static_cast<size_t>(std::max(got, 0)));

    // The same arena is met again at every match: its grid is kept by its triangles.
    uint64_t key = Fnv(1469598103934665603ull, &clearance, sizeof clearance);
    if (!triangles.empty()) key = Fnv(key, triangles.data(), triangles.size() * sizeof(triangles[0]));
    static std::vector<std::pair<uint64_t, std::shared_ptr<const TNavGrid>>> cache;
    for (const auto& entry : cache)
        if (entry.first == key) return entry.second;
    auto grid = std::make_shared<const TNavGrid>(triangles, clearance);
    if (cache.size() >= 8) cache.erase(cache.begin());
    cache.emplace_back(key, grid);
    return grid;
}

int TNavGrid::CellOf(const vector3df& p) const
{
    // Truncating gives floor's cell wherever the clamp keeps it (below 0 both clamp to 0),
    // and spares a library call on the path searches' hottest line.
    const int x = std::clamp(static_cast<int>((p.X - minX_) / kCellSize), 0, width_ - 1);
    const int z = std::clamp(static_cast<int>((p.Z - minZ_) / kCellSize), 0, depth_ - 1);
    return z * width_ + x;
}

vector3df TNavGrid::CenterOf(int cell) const
{
    return vector3df(minX_ + (cell % width_ + 0.5f) * kCellSize, 0.0f, minZ_ + (cell / width_ + 0.5f) * kCellSize);
}

float TNavGrid::WallDistance(const vector3df& p) const
{
    if (distance_.empty()) return kDistanceCap;
    return distance_[static_cast<size_t>(CellOf(p))];
}

bool TNavGrid::ClearShot(const vector3df& a, const vector3df& b, float radius) const
{
    vector3df d(b.X - a.X, 0.0f, b.Z - a.Z);
    const float length = d.getLength();
    const int steps = std::max(1, static_cast<int>(length / (kCellSize * 0.5f)));
    const float spacing = length / steps;
    for (int i = 0; i <= steps;) {
        const float t = static_cast<float>(i) / steps;
        const float distance = WallDistance(vector3df(a.X + d.X * t, 0.0f, a.Z + d.Z * t));
        if (distance < radius) return false;
        // A cell's distance is its center's, and centers' distances differ by no more than
        // the centers' own: every sample within `room` of this one is clear, so it is skipped.
        const float room = distance - radius - kCellDiagonal - kRounding;
        const float skip = room > 0.0f && spacing > 0.0f ? std::min(room / spacing, static_cast<float>(steps)) : 0.0f;
        i += 1 + static_cast<int>(skip);
    }
    return true;
}

bool TNavGrid::SurelyMissesWalls(const vector3df& from, const vector3df& to, float halfWidth) const
{
    // The grid holds every triangle that reaches into this band of heights, seen from above.
    if (from.Y < kFloorHeight || from.Y > kTankHeight || std::fabs(to.Y - from.Y) > kRounding) return false;
    // Every point of the segment lies within a quarter cell of one of ClearShot's samples,
    // which lies within half a cell's diagonal of the center whose distance its cell holds.
    return ClearShot(from, to, halfWidth + kCellSize * 0.25f + kCellDiagonal * 0.5f + kRounding);
}

bool TNavGrid::ClearPath(const vector3df& a, const vector3df& b) const
{
    return ClearShot(a, b, clearance_);
}

vector3df TNavGrid::NearestOpen(const vector3df& p) const
{
    const int start = CellOf(p);
    if (OpenCell(start)) return vector3df(p.X, 0.0f, p.Z);
    // Rings of cells outward until one is open.
    const int sx = start % width_, sz = start / width_;
    for (int r = 1; r < std::max(width_, depth_); ++r) {
        int best = -1;
        float bestDistance = std::numeric_limits<float>::max();
        for (int z = sz - r; z <= sz + r; ++z)
            for (int x = sx - r; x <= sx + r; ++x) {
                if (x < 0 || z < 0 || x >= width_ || z >= depth_) continue;
                if (std::max(std::abs(x - sx), std::abs(z - sz)) != r) continue;
                const int cell = z * width_ + x;
                const float d = CenterOf(cell).getDistanceFromSQ(vector3df(p.X, 0.0f, p.Z));
                if (OpenCell(cell) && d < bestDistance) {
                    best = cell;
                    bestDistance = d;
                }
            }
        if (best >= 0) return CenterOf(best);
    }
    return vector3df(p.X, 0.0f, p.Z);
}

std::vector<vector3df> TNavGrid::FindPath(const vector3df& from, const vector3df& to) const
{
    const int goal = CellOf(NearestOpen(to));
    return Search(CellOf(NearestOpen(from)), goal, nullptr);
}

std::vector<vector3df> TNavGrid::PathToNearest(const vector3df& from,
                                               const std::function<bool(const vector3df&)>& goal) const
{
    return Search(CellOf(NearestOpen(from)), -1, &goal);
}

// A* toward `goal` (or, with `test`, a uniform-cost search for the first cell passing it).
std::vector<vector3df> TNavGrid::Search(int start, int goal, const std::function<bool(const vector3df&)>* test) const
{
    const size_t cells = distance_.size();
    if (cells == 0 || !OpenCell(start)) return {};
    Scratch& w = scratch_;
    if (w.cost.size() != cells) {
        w.cost.assign(cells, 0.0f);
        w.from.assign(cells, -1);
        w.reached.assign(cells, 0);
        w.done.assign(cells, 0);
        w.search = 0;
    }
    if (++w.search == 0) {  // the marks wrapped around: start them afresh
        std::fill(w.reached.begin(), w.reached.end(), 0);
        std::fill(w.done.begin(), w.done.end(), 0);
        w.search = 1;
    }
    const uint32_t mark = w.search;
    auto costOf = [&](int cell) { return w.reached[cell] == mark ? w.cost[cell] : std::numeric_limits<float>::max(); };
    using Entry = std::pair<float, int>;
    const auto later = std::greater<Entry>();
    w.open.clear();
    auto push = [&](float priority, int cell) {
        w.open.emplace_back(priority, cell);
        std::push_heap(w.open.begin(), w.open.end(), later);
    };
    const vector3df goalCenter = goal >= 0 ? CenterOf(goal) : vector3df();
    auto estimate = [&](int cell) {
        if (goal < 0) return 0.0f;
        const vector3df c = CenterOf(cell);
        const float dx = std::fabs(c.X - goalCenter.X), dz = std::fabs(c.Z - goalCenter.Z);
        return std::max(dx, dz) + (std::sqrt(2.0f) - 1.0f) * std::min(dx, dz);
    };
    w.cost[start] = 0.0f;
    w.from[start] = -1;
    w.reached[start] = mark;
    push(estimate(start), start);
    int found = -1;
    while (!w.open.empty()) {
        std::pop_heap(w.open.begin(), w.open.end(), later);
        const int cell = w.open.back().second;
        w.open.pop_back();
        if (w.done[cell] == mark) continue;
        w.done[cell] = mark;
        if (cell == goal || (test && (*test)(CenterOf(cell)))) {
            found = cell;
            break;
        }
        const unsigned moves = moves_[cell];
        for (int k = 0; k < 8; ++k) {
            if (!(moves & (1u << k))) continue;
            const int next = cell + stepOffset_[k];
            if (w.done[next] == mark) continue;
            const float total = w.cost[cell] + kStepLength[k] * enterCost_[next];
            if (total < costOf(next)) {
                w.cost[next] = total;
                w.from[next] = cell;
                w.reached[next] = mark;
                push(total + estimate(next), next);
            }
        }
    }
    if (found < 0) return {};
    std::vector<int> cellsOnPath;
    for (int cell = found; cell >= 0; cell = w.from[cell]) cellsOnPath.push_back(cell);
    std::reverse(cellsOnPath.begin(), cellsOnPath.end());
    return Smooth(cellsOnPath);
}

// Keeps only the cells where the path must bend: each leg runs as far as it stays open.
std::vector<vector3df> TNavGrid::Smooth(const std::vector<int>& cells) const
{
    std::vector<vector3df> points;
    if (cells.empty()) return points;
    size_t anchor = 0;
    points.push_back(CenterOf(cells[0]));
    while (anchor + 1 < cells.size()) {
        size_t next = anchor + 1;
        while (next + 1 < cells.size() && ClearPath(CenterOf(cells[anchor]), CenterOf(cells[next + 1]))) ++next;
        points.push_back(CenterOf(cells[next]));
        anchor = next;
    }
    return points;
}

const std::vector<int>* TNavGrid::AreaOf(const vector3df& from) const
{
    if (distance_.empty()) return nullptr;
    const int area = area_[static_cast<size_t>(CellOf(NearestOpen(from)))];
    return area >= 0 ? &areaCells_[static_cast<size_t>(area)] : nullptr;
}

std::vector<vector3df> TNavGrid::Reachable(const vector3df& from) const
{
    std::vector<vector3df> found;
    if (const std::vector<int>* cells = AreaOf(from))
        for (int cell : *cells) found.push_back(CenterOf(cell));
    return found;
}

std::optional<vector3df> TNavGrid::ReachableAt(const vector3df& from, size_t number) const
{
    const std::vector<int>* cells = AreaOf(from);
    if (!cells || cells->empty()) return std::nullopt;
    return CenterOf((*cells)[number % cells->size()]);
}
