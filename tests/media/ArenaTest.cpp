// The arenas as the engine loads them: walls around the respawn points, room to drive
// everywhere, cover between the start points, and a fit inside the overhead cameras.
#include <cmath>
#include <deque>
#include <vector>

#include "MediaFixture.h"

using irr::core::triangle3df;
using irr::core::vector3df;
using mediatest::Device;
using mediatest::LoadMesh;
using mediatest::SourcePath;

namespace {

const vector3df kRespawnPoints[] = {{-17, 0, 0},     {16.5f, 0, 0},      {0, 0, 0},           {10, 0, 5},
                                    {10, 0, -5},     {-10, 0, 5},        {-10, 0, -5},        {17.96f, 0, 10.33f},
                                    {17.96f, 0, -10.33f}, {-17.96f, 0, 10.33f}, {-17.96f, 0, -10.33f}};
const char* const kArenas[] = {"media/arena_base.3ds", "media/arena1.3ds", "media/arena2.3ds"};
const float kBoxyTankRadius = 1.25f;
const float kShellStep = 0.5f;  // per frame
const int kShellFrames = 54;    // 900 ms at 60 frames a second

// The walls seen from above: the horizontal faces, flattened onto the ground.
struct Footprint {
    explicit Footprint(const std::vector<triangle3df>& triangles)
    {
        for (const triangle3df& t : triangles)
            if (std::fabs(t.getNormal().normalize().Y) > 0.5f)
                flat.emplace_back(Flat(t.pointA), Flat(t.pointB), Flat(t.pointC));
    }
    static vector3df Flat(const vector3df& p) { return {p.X, 0, p.Z}; }

    // Distance on the ground from (x, z) to the nearest wall; 0 inside a wall.
    float Clearance(float x, float z) const
    {
        const vector3df p(x, 0, z);
        float best = 1e9f;
        for (const triangle3df& t : flat) {
            if (t.isPointInside(p))
                return 0.0f;
            best = std::min(best, p.getDistanceFrom(t.closestPointOnTriangle(p)));
        }
        return best;
    }
    std::vector<triangle3df> flat;
};

// The ground inside the outer wall as a grid, with what a boxy tank can reach of it.
struct FloorMap {
    static constexpr float kCell = 0.25f;
    FloorMap(const Footprint& walls, float x0, float z0, float x1, float z1)
        : x0(x0), z0(z0), nx(static_cast<int>((x1 - x0) / kCell) + 1), nz(static_cast<int>((z1 - z0) / kCell) + 1),
          clearance(nx * nz)
    {
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < nz; ++j)
                clearance[i * nz + j] = walls.Clearance(X(i), Z(j));
    }
    float X(int i) const { return x0 + i * kCell; }
    float Z(int j) const { return z0 + j * kCell; }
    int I(float x) const { return static_cast<int>(std::lround((x - x0) / kCell)); }
    int J(float z) const { return static_cast<int>(std::lround((z - z0) / kCell)); }

    // Cells reachable from (x, z) through cells at least `radius` from every wall.
    std::vector<bool> Reach(float x, float z, float radius) const
    {
        std::vector<bool> seen(nx * nz, false);
        std::deque<std::pair<int, int>> open;
        open.emplace_back(I(x), J(z));
        seen[I(x) * nz + J(z)] = true;
        while (!open.empty()) {
            auto [i, j] = open.front();
            open.pop_front();
            const int next[4][2] = {{i + 1, j}, {i - 1, j}, {i, j + 1}, {i, j - 1}};
            for (const auto& n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= nx || n[1] >= nz)
                    continue;
                const int k = n[0] * nz + n[1];
                if (seen[k] || clearance[k] < radius)
                    continue;
                seen[k] = true;
                open.emplace_back(n[0], n[1]);
            }
        }
        return seen;
    }
    float x0, z0;
    int nx, nz;
    std::vector<float> clearance;
};

// Flies a shell like the game does, frame by frame; true if it meets a wall in time.
bool ShellHitsWall(irr::scene::ITriangleSelector* selector, vector3df from, vector3df heading, vector3df radius,
                   vector3df* hitAt)
{
    irr::scene::ISceneCollisionManager* collisions = Device()->getSceneManager()->getSceneCollisionManager();
    const vector3df step = heading.normalize() * kShellStep;
    for (int frame = 0; frame < kShellFrames; ++frame) {
        triangle3df hit(vector3df(0), vector3df(0), vector3df(0));
        vector3df hitPosition;
        bool falling = false;
        irr::scene::ISceneNode* node = nullptr;
        collisions->getCollisionResultPosition(selector, from, radius, step, hit, hitPosition, falling, node, 0.0f,
                                               vector3df(0, 0, 0));
        if (hit.pointA != vector3df(0) || hit.pointB != vector3df(0)) {
            *hitAt = from;
            return true;
        }
        from += step;
    }
    return false;
}

irr::scene::IMeshSceneNode* PlaceArena(irr::scene::IMesh* mesh)
{
    irr::scene::ISceneManager* smgr = Device()->getSceneManager();
    irr::scene::IMeshSceneNode* node = smgr->addMeshSceneNode(mesh);
    irr::scene::ITriangleSelector* selector = smgr->createTriangleSelector(mesh, node);
    node->setTriangleSelector(selector);
    selector->drop();
    node->updateAbsolutePosition();
    return node;
}

// Where a point lands on screen for a camera; inside when both coordinates lie in [-1, 1].
bool OnScreen(const irr::core::matrix4& viewProjection, const vector3df& p)
{
    irr::f32 v[4] = {p.X, p.Y, p.Z, 1.0f};
    viewProjection.multiplyWith1x4Matrix(v);
    return v[3] > 0 && std::fabs(v[0] / v[3]) <= 1.0f && std::fabs(v[1] / v[3]) <= 1.0f;
}

struct GameCamera {
    const char* name;
    irr::core::matrix4 viewProjection;
};

// The three fixed cameras of a match, as the arena sets them up on an 800 x 600 screen.
std::vector<GameCamera> GameCameras()
{
    const float fov = irr::core::PI / 2.5f, aspect = 4.0f / 3.0f;
    auto look = [](vector3df position, float pitchDegrees) {
        irr::core::matrix4 r;
        r.setRotationDegrees(vector3df(pitchDegrees, 0, 0));
        vector3df forward(0, 0, 1), up(0, 1, 0);
        r.rotateVect(forward);
        r.rotateVect(up);
        irr::core::matrix4 view;
        view.buildCameraLookAtMatrixLH(position, position + forward * 1000.0f, up);
        return view;
    };
    irr::core::matrix4 perspective, ortho;
    perspective.buildProjectionMatrixPerspectiveFovLH(fov, aspect, 1.0f, 3000.0f);
    ortho.buildProjectionMatrixOrthoLH(0.85f * 50.0f, 0.85f * (50.0f / aspect), 1.0f, 3000.0f);
    return {{"overhead_cam", perspective * look({0, 24, 2}, 90)},
            {"overhead55_cam", perspective * look({0, 22, -15}, 55)},
            {"ortho_cam", ortho * look({0, 15, 2}, 90)}};
}

}  // namespace

TEST(ArenaModels, AreWallsAboutOnePointTwoHighWithoutAFloor)
{
    for (const char* file : kArenas) {
        SCOPED_TRACE(file);
        const mediatest::LoadedMesh arena = LoadMesh(SourcePath(file));
        ASSERT_NE(arena.mesh, nullptr);
        EXPECT_NEAR(arena.box.MinEdge.Y, 0.0f, 1e-4f);
        EXPECT_NEAR(arena.box.MaxEdge.Y, 1.2f, 1e-3f);
        for (const triangle3df& t : arena.triangles) {
            if (t.pointA.Y < 0.01f && t.pointB.Y < 0.01f && t.pointC.Y < 0.01f) {
                EXPECT_LT(t.getNormal().Y, 0.0f) << "a face on the ground looks up: a floor";
            }
        }
    }
}

TEST(ArenaModels, FitInsideTheOverheadViews)
{
    const std::vector<GameCamera> cameras = GameCameras();
    for (const char* file : kArenas) {
        SCOPED_TRACE(file);
        const mediatest::LoadedMesh arena = LoadMesh(SourcePath(file));
        ASSERT_NE(arena.mesh, nullptr);
        EXPECT_GE(arena.box.MinEdge.X, -21.8f);
        EXPECT_LE(arena.box.MaxEdge.X, 21.8f);
        EXPECT_GE(arena.box.MinEdge.Z, -13.95f);
        EXPECT_LE(arena.box.MaxEdge.Z, 17.0f);
        // The straight-down camera sees every wall whole.
        for (const triangle3df& t : arena.triangles)
            for (const vector3df& p : {t.pointA, t.pointB, t.pointC})
                EXPECT_TRUE(OnScreen(cameras[0].viewProjection, p)) << p.X << ", " << p.Z;
    }
    // Every camera shows a tank standing at any respawn point.
    for (const GameCamera& camera : cameras)
        for (const vector3df& point : kRespawnPoints)
            for (float dx : {-0.65f, 0.65f})
                for (float dz : {-0.65f, 0.65f})
                    EXPECT_TRUE(OnScreen(camera.viewProjection, point + vector3df(dx, 0.7f, dz)))
                        << camera.name << " misses a tank at " << point.X << ", " << point.Z;
}

TEST(ArenaModels, KeepEveryRespawnPointWellClearOfTheWalls)
{
    for (const char* file : kArenas) {
        SCOPED_TRACE(file);
        const mediatest::LoadedMesh arena = LoadMesh(SourcePath(file));
        ASSERT_NE(arena.mesh, nullptr);
        const Footprint walls(arena.triangles);
        for (const vector3df& p : kRespawnPoints)
            EXPECT_GE(walls.Clearance(p.X, p.Z), kBoxyTankRadius + 2.0f) << p.X << ", " << p.Z;
    }
}

TEST(ArenaModels, LeaveEveryPartOfTheFloorReachable)
{
    for (const char* file : kArenas) {
        SCOPED_TRACE(file);
        const mediatest::LoadedMesh arena = LoadMesh(SourcePath(file));
        ASSERT_NE(arena.mesh, nullptr);
        const Footprint walls(arena.triangles);
        const FloorMap floor(walls, arena.box.MinEdge.X, arena.box.MinEdge.Z, arena.box.MaxEdge.X,
                             arena.box.MaxEdge.Z);
        const vector3df start = kRespawnPoints[0];
        const std::vector<bool> ground = floor.Reach(start.X, start.Z, 1e-3f);
        const std::vector<bool> tank = floor.Reach(start.X, start.Z, kBoxyTankRadius);
        const std::vector<bool> roomy = floor.Reach(start.X, start.Z, kBoxyTankRadius + 0.25f);
        // The ring is closed: the ground inside never reaches the edge of the map.
        for (int i = 0; i < floor.nx; ++i)
            EXPECT_FALSE(ground[i * floor.nz] || ground[i * floor.nz + floor.nz - 1]);
        // Every respawn point is reachable, with room to spare on the way.
        for (const vector3df& p : kRespawnPoints)
            EXPECT_TRUE(roomy[floor.I(p.X) * floor.nz + floor.J(p.Z)]) << p.X << ", " << p.Z;
        // No pocket of ground is out of a tank's reach: every cell of ground lies within a
        // tank's radius (and a corner's worth) of somewhere a tank can stand.
        const float reach = kBoxyTankRadius * std::sqrt(2.0f) + FloorMap::kCell;
        const int span = static_cast<int>(std::ceil(reach / FloorMap::kCell));
        int pockets = 0;
        for (int i = 0; i < floor.nx; ++i) {
            for (int j = 0; j < floor.nz; ++j) {
                if (!ground[i * floor.nz + j] || floor.clearance[i * floor.nz + j] <= 0.0f)
                    continue;
                bool covered = false;
                for (int di = -span; di <= span && !covered; ++di)
                    for (int dj = -span; dj <= span && !covered; ++dj) {
                        const int a = i + di, b = j + dj;
                        covered = a >= 0 && b >= 0 && a < floor.nx && b < floor.nz && tank[a * floor.nz + b] &&
                                  std::hypot(di * FloorMap::kCell, dj * FloorMap::kCell) <= reach;
                    }
                pockets += !covered;
            }
        }
        EXPECT_EQ(pockets, 0);
    }
}

TEST(ArenaModels, ShellsAtMuzzleHeightStopAtTheOuterWall)
{
    const mediatest::LoadedMesh arena = LoadMesh(SourcePath("media/arena_base.3ds"));
    const mediatest::LoadedMesh shell = LoadMesh(SourcePath("media/tank_shell.3ds"));
    ASSERT_NE(arena.mesh, nullptr);
    ASSERT_NE(shell.mesh, nullptr);
    irr::scene::IMeshSceneNode* node = PlaceArena(arena.mesh);
    const vector3df radius = shell.box.MaxEdge - shell.box.getCenter();
    for (float height : {0.35f, 0.425f}) {
        for (int k = 0; k < 16; ++k) {
            const float a = k * irr::core::PI / 8.0f;
            vector3df hitAt;
            EXPECT_TRUE(ShellHitsWall(node->getTriangleSelector(), vector3df(0, height, 0),
                                      vector3df(std::cos(a), 0, std::sin(a)), radius, &hitAt))
                << "heading " << k * 22.5f << " at height " << height;
        }
    }
    node->remove();
}

TEST(MatchArena, TankEllipsoidAtEveryRespawnPointTouchesNothing)
{
    const mediatest::LoadedMesh arena = LoadMesh(SourcePath("media/arena2.3ds"));
    ASSERT_NE(arena.mesh, nullptr);
    irr::scene::IMeshSceneNode* node = PlaceArena(arena.mesh);
    irr::scene::ITriangleSelector* selector = node->getTriangleSelector();
    irr::scene::ISceneCollisionManager* collisions = Device()->getSceneManager()->getSceneCollisionManager();
    const vector3df radius(kBoxyTankRadius, 5.0f, kBoxyTankRadius);
    std::vector<triangle3df> found(arena.triangles.size());
    for (const vector3df& p : kRespawnPoints) {
        SCOPED_TRACE(testing::Message() << p.X << ", " << p.Z);
        // Not even a triangle inside the ellipsoid's box...
        irr::s32 count = -1;
        selector->getTriangles(found.data(), static_cast<irr::s32>(found.size()), count,
                               irr::core::aabbox3df(p - radius, p + radius));
        EXPECT_EQ(count, 0);
        // ...and a tank nudged off the point in any direction slides nowhere.
        for (const vector3df& nudge : {vector3df(0.1f, 0, 0), vector3df(-0.1f, 0, 0), vector3df(0, 0, 0.1f),
                                       vector3df(0, 0, -0.1f)}) {
            triangle3df hit(vector3df(0), vector3df(0), vector3df(0));
            vector3df hitPosition;
            bool falling = false;
            irr::scene::ISceneNode* hitNode = nullptr;
            const vector3df result = collisions->getCollisionResultPosition(
                selector, p, radius, nudge, hit, hitPosition, falling, hitNode, 0.0005f, vector3df(0, 0, 0));
            EXPECT_EQ(hit.pointA, vector3df(0));
            EXPECT_TRUE(result.equals(p + nudge, 1e-4f));
        }
    }
    node->remove();
}

TEST(MatchArena, ShellFiredFromOneStartPointAtTheOtherHitsCover)
{
    const mediatest::LoadedMesh arena = LoadMesh(SourcePath("media/arena2.3ds"));
    const mediatest::LoadedMesh shell = LoadMesh(SourcePath("media/tank_shell.3ds"));
    ASSERT_NE(arena.mesh, nullptr);
    ASSERT_NE(shell.mesh, nullptr);
    irr::scene::IMeshSceneNode* node = PlaceArena(arena.mesh);
    const vector3df radius = shell.box.MaxEdge - shell.box.getCenter();
    // The boxy tank at point 0 faces +x, the sleek one at point 1 faces -x; both muzzles
    // are 0.67 ahead of the tank's centre.
    const vector3df boxyMuzzle(-17.0f + 0.67f, 0.35f, 0.0f), sleekMuzzle(16.5f - 0.67f, 0.425f, 0.0f);
    vector3df hitAt;
    ASSERT_TRUE(ShellHitsWall(node->getTriangleSelector(), boxyMuzzle, vector3df(1, 0, 0), radius, &hitAt));
    EXPECT_LT(hitAt.X, 16.5f - kBoxyTankRadius);
    ASSERT_TRUE(ShellHitsWall(node->getTriangleSelector(), sleekMuzzle, vector3df(-1, 0, 0), radius, &hitAt));
    EXPECT_GT(hitAt.X, -17.0f + kBoxyTankRadius);
    node->remove();
}
