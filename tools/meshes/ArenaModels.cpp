// The three arenas: walls only, the ground being the clear colour.
//
// The outer ring keeps every respawn point at least 3.25 from its inner face (a tank's
// 1.25 collision radius and 2 to spare). Its inner faces stand at x = +-21.25, so the
// orthographic camera (42.5 wide) frames the inside exactly; the south wall is thin
// enough to stay in that camera's view too, and the north wall sits at z = 16.5, inside
// every overhead camera. All four corners are cut at 45 degrees.
#include "meshes/Models.h"

#include <cmath>

namespace meshes {
namespace {

const float kWallHeight = 1.2f;
const float kRingThickness = 0.35f;
const float kBarThickness = 0.6f;

// Inner face of the outer ring, counter-clockwise seen from above.
const Polygon2 kRing = {{21.25f, -11.71f}, {21.25f, 11.71f},  {16.46f, 16.5f},   {-16.46f, 16.5f},
                        {-21.25f, 11.71f}, {-21.25f, -11.71f}, {-19.37f, -13.59f}, {19.37f, -13.59f}};

// Walls along a closed polygon, thickened outwards with mitred corners so that the
// segments meet without gaps.
void WallRing(Solid& s, const Polygon2& inner, float thickness, float height)
{
    const size_t n = inner.size();
    std::vector<Point2> normals;
    for (size_t i = 0; i < n; ++i) {
        const Point2& a = inner[i];
        const Point2& b = inner[(i + 1) % n];
        const float dx = b.first - a.first;
        const float dz = b.second - a.second;
        const float len = std::sqrt(dx * dx + dz * dz);
        normals.emplace_back(dz / len, -dx / len);
    }
    Polygon2 outer;
    for (size_t i = 0; i < n; ++i) {
        const Point2& before = normals[(i + n - 1) % n];
        const Point2& after = normals[i];
        const float scale = thickness / (1.0f + before.first * after.first + before.second * after.second);
        outer.emplace_back(inner[i].first + (before.first + after.first) * scale,
                           inner[i].second + (before.second + after.second) * scale);
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        s.PrismY({inner[i], inner[j], outer[j], outer[i]}, 0.0f, height);
    }
}

// An axis-aligned block of wall from (x0, z0) to (x1, z1).
void Block(Solid& s, float x0, float z0, float x1, float z1)
{
    s.Box({x0, 0.0f, z0}, {x1, kWallHeight, z1});
}

// Adds a block and its mirror images across x = 0 and z = 0.
void Block4(Solid& s, float x0, float z0, float x1, float z1)
{
    Block(s, x0, z0, x1, z1);
    Block(s, -x1, z0, -x0, z1);
    Block(s, x0, -z1, x1, -z0);
    Block(s, -x1, -z1, -x0, -z0);
}

}  // namespace

Solid ArenaBase()
{
    Solid s;
    WallRing(s, kRing, kRingThickness, kWallHeight);
    return s;
}

Solid Arena1()
{
    Solid s = ArenaBase();
    // An open X round the centre, and a pillar north and south of it.
    for (float sx : {-1.0f, 1.0f})
        for (float sz : {-1.0f, 1.0f})
            s.Bar({4.0f * sx, 4.0f * sz}, {7.0f * sx, 7.0f * sz}, kBarThickness, 0.0f, kWallHeight);
    Block(s, -1.0f, 8.0f, 1.0f, 10.0f);
    Block(s, -1.0f, -10.0f, 1.0f, -8.0f);
    return s;
}

Solid Arena2()
{
    Solid s = ArenaBase();
    // A shield in front of each start point, across the line of fire between them.
    Block(s, -13.0f, -2.5f, -12.4f, 2.5f);
    Block(s, 12.4f, -2.5f, 13.0f, 2.5f);
    // A fort of four walls round the centre point, open at its corners.
    Block(s, -1.75f, 4.0f, 1.75f, 4.6f);
    Block(s, -1.75f, -4.6f, 1.75f, -4.0f);
    Block(s, 4.0f, -1.25f, 4.6f, 1.25f);
    Block(s, -4.6f, -1.25f, -4.0f, 1.25f);
    // Brackets in the four quadrants, open towards the side walls.
    Block4(s, 6.5f, 9.4f, 11.5f, 10.0f);
    Block4(s, 6.5f, 7.0f, 7.1f, 9.4f);
    // A pillar on the lanes north and south of the fort.
    Block(s, -0.6f, 8.8f, 0.6f, 10.0f);
    Block(s, -0.6f, -10.0f, 0.6f, -8.8f);
    return s;
}

const std::vector<ModelFile>& AllModels()
{
    static const std::vector<ModelFile> models = {
        {"tank.3ds", "tank", BoxyTank},
        {"sleek_tank.3ds", "sleek_tank", SleekTank},
        {"tank_shell.3ds", "tank_shell", TankShell},
        {"arena_base.3ds", "arena_base", ArenaBase},
        {"arena1.3ds", "arena1", Arena1},
        {"arena2.3ds", "arena2", Arena2},
    };
    return models;
}

}  // namespace meshes
