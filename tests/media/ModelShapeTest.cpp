// The tanks and the shell as the engine loads them: size, orientation, muzzle, closure.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "MediaFixture.h"
#include "meshes/Solid.h"
#include "meshes/Writer3ds.h"

using irr::core::triangle3df;
using irr::core::vector3df;
using mediatest::LoadMesh;
using mediatest::SourcePath;

namespace {

struct TankCase {
    const char* file;
    float muzzleY;
};
const TankCase kTanks[] = {{"media/tank.3ds", 0.35f}, {"media/sleek_tank.3ds", 0.425f}};

std::vector<vector3df> Corners(const std::vector<triangle3df>& triangles)
{
    std::vector<vector3df> corners;
    for (const triangle3df& t : triangles) {
        corners.push_back(t.pointA);
        corners.push_back(t.pointB);
        corners.push_back(t.pointC);
    }
    return corners;
}

// Which cells of a grid over [-0.8, 0.8]^2 the model covers, seen along one axis:
// 'y' looks from above (cells over x and z), 'z' from behind (cells over x and y).
std::vector<bool> Silhouette(const std::vector<triangle3df>& triangles, char along)
{
    const int n = 80;
    std::vector<bool> cells(n * n, false);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float u = -0.8f + 1.6f * (i + 0.5f) / n;
            const float v = -0.8f + 1.6f * (j + 0.5f) / n;
            for (const triangle3df& t : triangles) {
                auto flat = [&](const vector3df& p) {
                    return along == 'y' ? irr::core::vector3df(p.X, 0, p.Z) : irr::core::vector3df(p.X, 0, p.Y);
                };
                const triangle3df f(flat(t.pointA), flat(t.pointB), flat(t.pointC));
                if (f.getArea() < 1e-6f)
                    continue;  // a face seen edge-on
                if (f.isPointInside(vector3df(u, 0, v))) {
                    cells[i * n + j] = true;
                    break;
                }
            }
        }
    }
    return cells;
}

}  // namespace

TEST(Writer3ds, LoadedBoxKeepsItsAxesAndFacesOutwards)
{
    meshes::Solid box;
    box.Box({0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, 3.0f});
    const std::string path = (std::filesystem::temp_directory_path() / "vexmoor_writer_box.3ds").string();
    ASSERT_TRUE(meshes::Write3ds(path, "box", box.Triangles()));
    const mediatest::LoadedMesh loaded = LoadMesh(path);
    std::filesystem::remove(path);
    ASSERT_NE(loaded.mesh, nullptr);
    ASSERT_EQ(loaded.triangles.size(), 12u);
    EXPECT_EQ(loaded.box.MinEdge, vector3df(0, 0, 0));
    EXPECT_EQ(loaded.box.MaxEdge, vector3df(1, 2, 3));
    const vector3df centre(0.5f, 1.0f, 1.5f);
    for (const triangle3df& t : loaded.triangles) {
        const vector3df middle = (t.pointA + t.pointB + t.pointC) / 3.0f;
        EXPECT_GT(t.getNormal().dotProduct(middle - centre), 0.0f) << "face turned inwards";
    }
}

TEST(Models, AreClosedWoundOutwardsAndWithinBudget)
{
    const struct {
        const char* file;
        size_t budget;
    } models[] = {{"media/tank.3ds", 500},       {"media/sleek_tank.3ds", 500}, {"media/tank_shell.3ds", 500},
                  {"media/arena_base.3ds", 2000}, {"media/arena1.3ds", 2000},   {"media/arena2.3ds", 2000}};
    for (const auto& m : models) {
        SCOPED_TRACE(m.file);
        const mediatest::LoadedMesh loaded = LoadMesh(SourcePath(m.file));
        ASSERT_NE(loaded.mesh, nullptr);
        EXPECT_GT(loaded.triangles.size(), 0u);
        EXPECT_LE(loaded.triangles.size(), m.budget);
        EXPECT_EQ(mediatest::UnmatchedEdges(loaded.triangles), 0u);
        EXPECT_GT(mediatest::SignedVolume(loaded.triangles), 0.0);
    }
}

TEST(TankModels, RestOnTheGroundAtTankSizeBelowTheCameras)
{
    for (const TankCase& tank : kTanks) {
        SCOPED_TRACE(tank.file);
        const mediatest::LoadedMesh loaded = LoadMesh(SourcePath(tank.file));
        ASSERT_NE(loaded.mesh, nullptr);
        const irr::core::aabbox3df& box = loaded.box;
        EXPECT_NEAR(box.MinEdge.Y, 0.0f, 1e-4f);
        EXPECT_LE(box.MaxEdge.Y, 0.7f);
        EXPECT_GT(box.MaxEdge.Y, 0.45f);
        EXPECT_NEAR(box.MaxEdge.X - box.MinEdge.X, 1.0f, 0.05f);
        EXPECT_NEAR(box.MinEdge.X + box.MaxEdge.X, 0.0f, 1e-3f);
        EXPECT_NEAR(box.MaxEdge.Z - box.MinEdge.Z, 1.3f, 0.05f);
    }
}

TEST(TankModels, FaceForwardWithTheBarrelTipAtTheMuzzle)
{
    for (const TankCase& tank : kTanks) {
        SCOPED_TRACE(tank.file);
        const mediatest::LoadedMesh loaded = LoadMesh(SourcePath(tank.file));
        ASSERT_NE(loaded.mesh, nullptr);
        EXPECT_NEAR(loaded.box.MaxEdge.Z, 0.67f, 1e-3f);
        // The front-most corners are the gun's tip: a thin ring round the muzzle point.
        irr::core::aabbox3df tip(vector3df(0, tank.muzzleY, 0.67f));
        bool first = true;
        for (const vector3df& p : Corners(loaded.triangles)) {
            if (p.Z < loaded.box.MaxEdge.Z - 1e-3f)
                continue;
            EXPECT_LT(p.getDistanceFrom(vector3df(0, tank.muzzleY, 0.67f)), 0.06f);
            if (first)
                tip.reset(p);
            tip.addInternalPoint(p);
            first = false;
        }
        ASSERT_FALSE(first);
        const vector3df centre = tip.getCenter();
        EXPECT_NEAR(centre.X, 0.0f, 1e-3f);
        EXPECT_NEAR(centre.Y, tank.muzzleY, 1e-3f);
    }
}

TEST(TankModels, TheGunReachesHalfAUnitBeyondATaperedHull)
{
    for (const TankCase& tank : kTanks) {
        SCOPED_TRACE(tank.file);
        const mediatest::LoadedMesh loaded = LoadMesh(SourcePath(tank.file));
        ASSERT_NE(loaded.mesh, nullptr);
        // The hull is everything wider than the gun; from the overhead cameras the gun
        // must stand clear of it, so that a tank's heading can be told at a glance.
        float hullFront = -1.0f, frontHalfWidth = 0.0f, backHalfWidth = 0.0f;
        for (const vector3df& p : Corners(loaded.triangles))
            if (std::fabs(p.X) > 0.07f) hullFront = std::max(hullFront, p.Z);
        for (const vector3df& p : Corners(loaded.triangles)) {
            if (p.Y < 0.15f) continue;  // the deck, above the tracks
            if (p.Z > hullFront - 0.12f) frontHalfWidth = std::max(frontHalfWidth, std::fabs(p.X));
            if (p.Z < loaded.box.MinEdge.Z + 0.12f) backHalfWidth = std::max(backHalfWidth, std::fabs(p.X));
        }
        EXPECT_GE(0.67f - hullFront, 0.45f) << "hull front at z = " << hullFront;
        EXPECT_LT(frontHalfWidth, backHalfWidth - 0.1f) << "the hull's front is as wide as its back";
    }
}

TEST(TankModels, StandUprightOnTracksWithTheTurretOnTop)
{
    for (const TankCase& tank : kTanks) {
        SCOPED_TRACE(tank.file);
        const mediatest::LoadedMesh loaded = LoadMesh(SourcePath(tank.file));
        ASSERT_NE(loaded.mesh, nullptr);
        bool leftTrack = false, rightTrack = false;
        for (const vector3df& p : Corners(loaded.triangles)) {
            if (p.Y < 1e-4f) {
                EXPECT_GE(std::fabs(p.X), 0.29f) << "only the tracks touch the ground";
                leftTrack |= p.X < 0;
                rightTrack |= p.X > 0;
            }
            if (p.Y > loaded.box.MaxEdge.Y - 0.05f) {
                EXPECT_LT(std::fabs(p.X), 0.3f) << "the top is the turret, not the hull's edge";
            }
        }
        EXPECT_TRUE(leftTrack && rightTrack);
    }
}

TEST(TankModels, TheTwoTanksDifferFromAboveAndFromBehind)
{
    const mediatest::LoadedMesh boxy = LoadMesh(SourcePath(kTanks[0].file));
    const mediatest::LoadedMesh sleek = LoadMesh(SourcePath(kTanks[1].file));
    ASSERT_NE(boxy.mesh, nullptr);
    ASSERT_NE(sleek.mesh, nullptr);
    for (char along : {'y', 'z'}) {
        const std::vector<bool> a = Silhouette(boxy.triangles, along);
        const std::vector<bool> b = Silhouette(sleek.triangles, along);
        int either = 0, onlyOne = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            either += a[i] || b[i];
            onlyOne += a[i] != b[i];
        }
        EXPECT_GT(onlyOne, either / 8) << "silhouettes along " << along << " are nearly the same";
    }
}

TEST(TankShell, IsASmallSolidPointingForward)
{
    const mediatest::LoadedMesh loaded = LoadMesh(SourcePath("media/tank_shell.3ds"));
    ASSERT_NE(loaded.mesh, nullptr);
    const vector3df extent = loaded.box.getExtent();
    EXPECT_NEAR(extent.X, 0.12f, 0.01f);
    EXPECT_NEAR(extent.Y, 0.12f, 0.01f);
    EXPECT_NEAR(extent.Z, 0.30f, 0.02f);
    EXPECT_NEAR(loaded.box.getCenter().getLength(), 0.0f, 1e-3f);
    // Narrow nose in front, full-width tail behind.
    float noseWidth = 0.0f, tailWidth = 0.0f;
    for (const vector3df& p : Corners(loaded.triangles)) {
        if (p.Z > loaded.box.MaxEdge.Z - 1e-3f)
            noseWidth = std::max(noseWidth, std::fabs(p.X));
        if (p.Z < loaded.box.MinEdge.Z + 0.05f)
            tailWidth = std::max(tailWidth, std::fabs(p.X));
    }
    EXPECT_LT(noseWidth, 0.02f);
    EXPECT_GT(tailWidth, 0.045f);
}
