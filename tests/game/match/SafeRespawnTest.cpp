// SAFE respawn with more than one gun against the tank: a point is safe only when the walls
// hide it from every tank whose shells would hit there, and only from those.
#include <string>
#include <vector>

#include "game/match/SafeRespawn.h"
#include "tests/support/ArenaFixture.h"

using irr::core::vector3df;

namespace {

class SafeRespawnAgainstMany : public ArenaTest {
protected:
    // Four tanks in FORTS: "tank1" respawns, the other three stand at respawn points.
    void EnterWithFourTanks()
    {
        game->settings.match.arena = TArenaChoice::Forts;
        EnterIdleArena();
        arena->LoadBoxyTank("tank3", "Tank3");
        arena->LoadSleekTank("tank4", "Tank4");
        arena->slots = {0, 1, 2, 3};
    }
    void Stand(const std::string& key, const vector3df& at)
    {
        Place(key, at, 0);
        Tank(key)->_node->updateAbsolutePosition();
    }
};

}  // namespace

TEST_F(SafeRespawnAgainstMany, APointIsSafeOnlyWhenHiddenFromEachOfThreeEnemies)
{
    EnterWithFourTanks();
    const std::vector<vector3df> points = ArenaObject()->respawn_points;
    const char* const enemies[3] = {"tank2", "tank3", "tank4"};
    int safe = 0, seenByOneOnly = 0;
    // The three enemies on every third point in turn; tank1 asks of every point.
    for (size_t first = 0; first < points.size(); ++first) {
        vector3df at[3];
        for (int e = 0; e < 3; ++e) {
            at[e] = points[(first + static_cast<size_t>(e) * 4) % points.size()] + vector3df(0.5f, 0, 0.5f);
            Stand(enemies[e], at[e]);
        }
        for (const vector3df& point : points) {
            int seenBy = 0;
            for (const vector3df& gun : at) seenBy += !Hidden(point, gun);
            SCOPED_TRACE(testing::Message() << "point " << point.X << ", " << point.Z << " seen by " << seenBy);
            EXPECT_EQ(OutOfLineOfFire(*arena, point, "tank1"), seenBy == 0);
            safe += seenBy == 0;
            seenByOneOnly += seenBy == 1;
        }
    }
    // Both kinds of point occur, and points in the sight of one gun only, which a rule that
    // asked only one of the tanks would take for safe.
    EXPECT_GT(safe, 0);
    EXPECT_GT(seenByOneOnly, 10);
}

TEST_F(SafeRespawnAgainstMany, InTeamsATeamMatesGunCountsOnlyWithFriendlyFire)
{
    EnterWithFourTanks();
    arena->match.mode = TMatchMode::Teams;
    const std::vector<vector3df> points = ArenaObject()->respawn_points;
    // tank1 (player 2) plays with tank4 (player 4) against tank2 and tank3. The enemies
    // stand at the start points, which FORTS hides from each other; the team mate in the
    // middle, in the open.
    Stand("tank2", points[0]);
    Stand("tank3", points[1]);
    Stand("tank4", points[2]);
    int checked = 0;
    for (const vector3df& point : points) {
        if (!Hidden(point, points[0]) || !Hidden(point, points[1]) || Hidden(point, points[2])) continue;
        SCOPED_TRACE(testing::Message() << "point " << point.X << ", " << point.Z);
        arena->match.friendlyFire = false;
        EXPECT_TRUE(OutOfLineOfFire(*arena, point, "tank1"));
        arena->match.friendlyFire = true;
        EXPECT_FALSE(OutOfLineOfFire(*arena, point, "tank1"));
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no point hidden from both enemies but seen by the team mate";
    // The guns the aim is judged by follow the same rule.
    arena->match.friendlyFire = false;
    EXPECT_EQ(GunsAgainst(*arena, "tank1").size(), 2u);
    arena->match.mode = TMatchMode::FreeForAll;
    EXPECT_EQ(GunsAgainst(*arena, "tank1").size(), 3u);
}
