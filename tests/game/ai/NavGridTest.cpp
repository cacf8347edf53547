// The computer player's grid on the real arenas: its quick shot tests give the answers of
// a plain march and of rays against the arena's triangles, and the places it draws for a
// patrol can all be driven to.
#include <random>

#include "tests/support/ArenaFixture.h"
#include "game/ai/NavGrid.h"

using irr::core::vector3df;

namespace {

class NavGridTest : public ArenaTest {
protected:
    void LoadArenaModel(int model)
    {
        if (model == 0) arena->LoadArenaBase();
        if (model == 1) arena->LoadArena1();
        if (model == 2) arena->LoadArena2();
    }
    irr::scene::ITriangleSelector* Walls() { return ArenaObject()->_node->getTriangleSelector(); }

    // Every sample, half a cell apart, on a cell at least `radius` from a wall.
    static bool MarchedClear(const TNavGrid& grid, vector3df a, vector3df b, float radius)
    {
        const vector3df d(b.X - a.X, 0, b.Z - a.Z);
        const int steps = std::max(1, static_cast<int>(d.getLength() / (TNavGrid::kCellSize * 0.5f)));
        for (int i = 0; i <= steps; ++i) {
            const float t = static_cast<float>(i) / steps;
            if (grid.WallDistance(vector3df(a.X + d.X * t, 0, a.Z + d.Z * t)) < radius) return false;
        }
        return true;
    }

    bool RayHits(const vector3df& from, const vector3df& to)
    {
        vector3df hit;
        irr::core::triangle3df triangle;
        irr::scene::ISceneNode* node = nullptr;
        return arena->smgr->getSceneCollisionManager()->getCollisionPoint(irr::core::line3df(from, to), Walls(), hit,
                                                                          triangle, node);
    }
};

}  // namespace

TEST_F(NavGridTest, QuickShotTestsAgreeWithAPlainMarchAndWithRaysOnEveryArena)
{
    EnterArenaWithoutDrivers();
    std::mt19937 dice(7);
    for (int model = 0; model < 3; ++model) {
        SCOPED_TRACE(model);
        LoadArenaModel(model);
        auto grid = TNavGrid::ForWalls(Walls(), 1.5f);
        const irr::core::aabbox3df box = ArenaObject()->_node->getTransformedBoundingBox();
        std::uniform_real_distribution<float> x(box.MinEdge.X, box.MaxEdge.X), z(box.MinEdge.Z, box.MaxEdge.Z);
        std::uniform_real_distribution<float> radius(0.05f, 1.5f), unit(-1.0f, 1.0f);
        int surelyClear = 0, clear = 0;
        for (int i = 0; i < 4000; ++i) {
            const float height = 0.45f, halfWidth = 0.15f;
            const vector3df a(x(dice), height, z(dice));
            // Short and long segments, some of them grazing walls.
            const float reach = i % 2 ? 3.0f : 30.0f;
            const vector3df b(a.X + unit(dice) * reach, height, a.Z + unit(dice) * reach);
            const float r = radius(dice);
            const bool marched = MarchedClear(*grid, a, b, r);
            ASSERT_EQ(grid->ClearShot(a, b, r), marched) << a.X << "," << a.Z << " to " << b.X << "," << b.Z << " r " << r;
            clear += marched;
            if (!grid->SurelyMissesWalls(a, b, halfWidth)) continue;
            ++surelyClear;
            vector3df side(b.Z - a.Z, 0, a.X - b.X);
            side.normalize();
            for (float offset = -halfWidth; offset <= halfWidth + 1e-4f; offset += halfWidth / 4)
                ASSERT_FALSE(RayHits(a + side * offset, b + side * offset))
                    << a.X << "," << a.Z << " to " << b.X << "," << b.Z << " offset " << offset;
        }
        // Both answers come up often enough for the comparison to mean something.
        EXPECT_GT(clear, 400);
        EXPECT_LT(clear, 3600);
        EXPECT_GT(surelyClear, 400);
        // Out of the band of heights the grid holds, only a ray can tell.
        EXPECT_FALSE(grid->SurelyMissesWalls(vector3df(0, 3.0f, 0), vector3df(0.1f, 3.0f, 0), 0.1f));
    }
}

TEST_F(NavGridTest, EveryPlaceDrawnForAPatrolCanBeDrivenTo)
{
    EnterArenaWithoutDrivers();
    for (int model = 0; model < 3; ++model) {
        SCOPED_TRACE(model);
        LoadArenaModel(model);
        auto grid = TNavGrid::ForWalls(Walls(), 1.5f);
        const auto& points = ArenaObject()->respawn_points;
        for (size_t p = 0; p < points.size(); ++p) {
            const size_t count = grid->Reachable(points[p]).size();
            ASSERT_GT(count, 100u);
            for (size_t number = 0; number < 2 * count; number += count / 7 + 1) {
                const std::optional<vector3df> goal = grid->ReachableAt(points[p], number);
                ASSERT_TRUE(goal.has_value());
                EXPECT_TRUE(grid->IsOpen(*goal));
                EXPECT_GE(grid->FindPath(points[p], *goal).size(), 1u) << p << " to " << goal->X << "," << goal->Z;
            }
        }
    }
}

TEST(NavGridLimit, WallsTooFarApartGiveOneClosedCellNotAnEndlessGrid)
{
    // One vertex at 1e30 made the grid's size overflow; at 1e5 it took gigabytes.
    for (float far : {1e30f, 1e5f}) {
        const std::vector<irr::core::triangle3df> walls = {
            {vector3df(0, 0, 0), vector3df(1, 1, 0), vector3df(far, 0.5f, far)}};
        testing::internal::CaptureStderr();
        const TNavGrid grid(walls, 0.5f);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("no paths are planned"), std::string::npos) << far << ": " << said;
        EXPECT_FALSE(grid.IsOpen(vector3df(3, 0, 3)));
        EXPECT_FALSE(grid.SurelyMissesWalls(vector3df(-5, 0.5f, 0), vector3df(5, 0.5f, 0), 0.1f));
    }
}
