#include "game/arenas/MazeGenerator.h"

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

// The orthographic camera is 42.5 units wide; a maze of n rooms is (4n + 1) cells of 1.25.
// In those units (1/34 of the width) a window of width w shows 34 h / w of depth.
constexpr int kViewWidthCells = 34;
constexpr int kRoomsAcross = 8;
constexpr int kSpan = TMazeGenerator::kRoomCells + 1;

// Uniform in [0, n) by rejection, so that it is the same everywhere.
uint32_t Below(std::mt19937& random, uint32_t n)
{
    const uint64_t range = uint64_t(std::mt19937::max()) + 1;
    const uint64_t limit = range - range % n;
    uint64_t draw;
    do draw = random();
    while (draw >= limit);
    return static_cast<uint32_t>(draw % n);
}

// The rooms and the walls between them: east[i] opens room i to its east neighbour,
// south[i] to its south one.
struct Rooms {
    int across, down;
    std::vector<bool> east, south;

    Rooms(int across_, int down_)
        : across(across_),
          down(down_),
          east(static_cast<size_t>(across * down), false),
          south(static_cast<size_t>(across * down), false)
    {
    }
    int Count() const { return across * down; }

    // The rooms joined to `room`, in a fixed order.
    std::vector<int> Open(int room) const
    {
        std::vector<int> joined;
        const int x = room % across;
        if (x + 1 < across && east[static_cast<size_t>(room)]) joined.push_back(room + 1);
        if (x > 0 && east[static_cast<size_t>(room - 1)]) joined.push_back(room - 1);
        if (room + across < Count() && south[static_cast<size_t>(room)]) joined.push_back(room + across);
        if (room >= across && south[static_cast<size_t>(room - across)]) joined.push_back(room - across);
        return joined;
    }

    void Join(int a, int b)
    {
        const int low = std::min(a, b), high = std::max(a, b);
        if (high == low + 1)
            east[static_cast<size_t>(low)] = true;
        else
            south[static_cast<size_t>(low)] = true;
    }

    std::vector<int> Steps(int from) const
    {
        std::vector<int> steps(static_cast<size_t>(Count()), -1);
        std::deque<int> queue{from};
        steps[static_cast<size_t>(from)] = 0;
        while (!queue.empty()) {
            const int room = queue.front();
            queue.pop_front();
            for (int next : Open(room)) {
                if (steps[static_cast<size_t>(next)] >= 0) continue;
                steps[static_cast<size_t>(next)] = steps[static_cast<size_t>(room)] + 1;
                queue.push_back(next);
            }
        }
        return steps;
    }
};

// A random spanning tree: walk to a random unvisited neighbour, back up when there is none.
void CarveTree(Rooms& rooms, std::mt19937& random)
{
    std::vector<bool> visited(static_cast<size_t>(rooms.Count()), false);
    std::vector<int> stack{static_cast<int>(Below(random, static_cast<uint32_t>(rooms.Count())))};
    visited[static_cast<size_t>(stack.back())] = true;
    while (!stack.empty()) {
        const int room = stack.back();
        const int x = room % rooms.across;
        std::vector<int> next;
        for (int candidate : {x + 1 < rooms.across ? room + 1 : -1, x > 0 ? room - 1 : -1,
                              room + rooms.across < rooms.Count() ? room + rooms.across : -1, room - rooms.across})
            if (candidate >= 0 && !visited[static_cast<size_t>(candidate)]) next.push_back(candidate);
        if (next.empty()) {
            stack.pop_back();
            continue;
        }
        const int chosen = next[Below(random, static_cast<uint32_t>(next.size()))];
        rooms.Join(room, chosen);
        visited[static_cast<size_t>(chosen)] = true;
        stack.push_back(chosen);
    }
}

// Opens a sixth as many of the remaining inner walls as there are rooms, chosen at random:
// each makes one loop.
void OpenLoops(Rooms& rooms, std::mt19937& random)
{
    std::vector<std::pair<int, int>> closed;
    for (int room = 0; room < rooms.Count(); ++room) {
        if (room % rooms.across + 1 < rooms.across && !rooms.east[static_cast<size_t>(room)])
            closed.push_back({room, room + 1});
        if (room + rooms.across < rooms.Count() && !rooms.south[static_cast<size_t>(room)])
            closed.push_back({room, room + rooms.across});
    }
    for (size_t i = closed.size(); i > 1; --i) std::swap(closed[i - 1], closed[Below(random, static_cast<uint32_t>(i))]);
    const size_t loops = std::min(closed.size(), static_cast<size_t>(std::max(1, rooms.Count() / 6)));
    for (size_t i = 0; i < loops; ++i) rooms.Join(closed[i].first, closed[i].second);
}

// The room farthest from those already chosen (by the fewest steps to any), first the one
// farthest from the north-west room; ties go to the lower room number.
std::vector<int> SpreadRooms(const Rooms& rooms, int count)
{
    std::vector<int> nearest = rooms.Steps(0);
    std::vector<int> chosen;
    while (static_cast<int>(chosen.size()) < count) {
        int best = 0;
        for (int room = 1; room < rooms.Count(); ++room)
            if (nearest[static_cast<size_t>(room)] > nearest[static_cast<size_t>(best)]) best = room;
        if (chosen.empty()) nearest.assign(nearest.size(), rooms.Count());
        chosen.push_back(best);
        const std::vector<int> steps = rooms.Steps(best);
        for (size_t room = 0; room < nearest.size(); ++room) nearest[room] = std::min(nearest[room], steps[room]);
    }
    return chosen;
}

TCellPos RoomCenter(const Rooms& rooms, int room)
{
    return {(room % rooms.across) * kSpan + kSpan / 2, (room / rooms.across) * kSpan + kSpan / 2};
}

}  // namespace

TMazePlan TMazeGenerator::ForWindow(uint32_t seed, int width, int height)
{
    TMazePlan plan;
    plan.seed = seed;
    plan.version = kVersion;
    plan.roomsAcross = kRoomsAcross;
    if (width > 0 && height > 0) {
        const int64_t depthCells = int64_t(kViewWidthCells) * height / width;
        plan.roomsDown = static_cast<int>(std::clamp<int64_t>((depthCells - 1) / kSpan, kMinRooms, kMaxRooms));
    }
    return plan;
}

std::optional<TArenaGrid> TMazeGenerator::Generate(const TMazePlan& plan)
{
    if (plan.version != kVersion) return std::nullopt;
    if (plan.roomsAcross < kMinRooms || plan.roomsAcross > kMaxRooms || plan.roomsDown < kMinRooms ||
        plan.roomsDown > kMaxRooms)
        return std::nullopt;

    std::mt19937 random(plan.seed);
    Rooms rooms(plan.roomsAcross, plan.roomsDown);
    CarveTree(rooms, random);
    OpenLoops(rooms, random);

    TArenaGrid grid("MAZE " + std::to_string(plan.seed), rooms.across * kSpan + 1, rooms.down * kSpan + 1);
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column) grid.Set({column, row}, TArenaCell::Wall);
    for (int room = 0; room < rooms.Count(); ++room) {
        const TCellPos center = RoomCenter(rooms, room);
        for (int dr = -1; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc) grid.Set({center.column + dc, center.row + dr}, TArenaCell::Floor);
        // The wall east or south of the room, where it is open.
        for (int dd = -1; dd <= 1; ++dd) {
            if (rooms.east[static_cast<size_t>(room)]) grid.Set({center.column + 2, center.row + dd}, TArenaCell::Floor);
            if (rooms.south[static_cast<size_t>(room)]) grid.Set({center.column + dd, center.row + 2}, TArenaCell::Floor);
        }
    }
    const std::vector<int> spread = SpreadRooms(rooms, std::min(TArenaGrid::kMaxRespawns, rooms.Count()));
    for (size_t i = 0; i < spread.size(); ++i) grid.SetRespawn(static_cast<int>(i) + 1, RoomCenter(rooms, spread[i]));
    return grid;
}
