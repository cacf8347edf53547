// Room for four tanks to start apart: every arena has six respawn points or more, each where
// a tank fits and can drive to the others, none near another; an arena file with fewer gets
// points added for the tanks playing, and a duel's file is left as it is.
#include <string>
#include <vector>

#include "game/ai/NavGrid.h"
#include "game/arenas/ArenaFileReader.h"
#include "tests/support/ArenaFixture.h"

using irr::core::vector3df;

namespace {

// How far apart any two respawn points of the built-in arenas are, at least.
constexpr float kBuiltInApart = 8.0f;

void ExpectApart(const std::vector<vector3df>& points, float apart)
{
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t j = i + 1; j < points.size(); ++j)
            EXPECT_GE(points[i].getDistanceFrom(points[j]), apart) << "points " << i + 1 << " and " << j + 1;
}

}  // namespace

TEST_F(ArenaTest, EveryBuiltInArenaHasSixPointsOrMoreATankCanDriveBetweenAndFarApart)
{
    for (TArenaChoice choice : {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts}) {
        SCOPED_TRACE(static_cast<int>(choice));
        game->settings.match.arena = choice;
        EnterIdleArena();
        const std::vector<vector3df> points = ArenaObject()->respawn_points;
        ASSERT_GE(points.size(), 6u);
        // The larger tank's radius with the computer player's margin, over the arena's walls.
        const auto grid = TNavGrid::ForWalls(ArenaObject()->_node->getTriangleSelector(), 1.5f);
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_TRUE(grid->IsOpen(points[i])) << "point " << i + 1;
            if (i > 0) {
                EXPECT_FALSE(grid->FindPath(points[0], points[i]).empty()) << "point " << i + 1;
            }
        }
        ExpectApart(points, kBuiltInApart);
        TGame::SetGameState("TitleScreen");
    }
}

TEST(ArenaRespawns, AFileWithTwoPointsKeepsThemAndGetsPointsSpreadForFourTanks)
{
    const std::string text =
        "name = Two\n"
        "##########################\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "#...1.......##.......2...#\n"
        "#...........##...........#\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "#........................#\n"
        "##########################\n";
    const TArenaRead read = TArenaFileReader::Parse(text, "two");
    ASSERT_TRUE(read.grid) << read.error.Message();
    // A duel plays the file as it is.
    TArenaGrid grid = *read.grid;
    ASSERT_EQ(grid.Respawns().size(), 2u);
    const std::vector<TCellPos> first = grid.Respawns();

    EXPECT_EQ(grid.AddRespawnsUpTo(4), 2);
    const std::vector<TCellPos> points = grid.Respawns();
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0], first[0]);
    EXPECT_EQ(points[1], first[1]);
    EXPECT_FALSE(grid.FindFault());  // on the floor, where a tank fits, reachable from point 1
    // Every pair at least four cells (five units) apart, as the tanks walk.
    for (size_t i = 0; i < points.size(); ++i) {
        const std::vector<int> steps = grid.StepsFrom(points[i]);
        for (size_t j = i + 1; j < points.size(); ++j)
            EXPECT_GE(steps[static_cast<size_t>(grid.Index(points[j]))], 4) << i + 1 << " to " << j + 1;
    }
    // Up to six, never past; a room too small for more gets what fits (here none).
    EXPECT_EQ(grid.AddRespawnsUpTo(10), 2);
    EXPECT_EQ(grid.Respawns().size(), 6u);
    const TArenaRead tiny = TArenaFileReader::Parse("name = Tiny\n#########\n#.......#\n#.1...2.#\n#.......#\n#########\n", "tiny");
    ASSERT_TRUE(tiny.grid) << tiny.error.Message();
    TArenaGrid cramped = *tiny.grid;
    EXPECT_EQ(cramped.AddRespawnsUpTo(6), 0) << "no cell a tank's width from both points";
    EXPECT_FALSE(cramped.FindFault());
}

TEST(ArenaRespawns, TheShippedArenaHasSixPointsFarApart)
{
    const TArenaRead read = TArenaFileReader::ReadFile("media/arenas/courtyard.txt");
    ASSERT_TRUE(read.grid) << read.error.Message();
    EXPECT_EQ(read.grid->Respawns().size(), 6u);
    ExpectApart(read.grid->RespawnPositions(), 10.0f);
    EXPECT_EQ(TArenaGrid(*read.grid).AddRespawnsUpTo(6), 0);
}
