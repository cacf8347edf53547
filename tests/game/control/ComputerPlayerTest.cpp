// The computer player in whole matches on the real arenas, in simulated time: it finishes
// matches, never sits stuck, wins by difficulty, sees only what a player sees, plans
// paths that keep off the walls.
#include <algorithm>
#include <deque>
#include <functional>

#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"
#include "game/control/ComputerTankController.h"
#include "game/ai/NavGrid.h"

using irr::core::vector3df;

namespace {

constexpr uint32_t kMinute = 60 * 1000;

class ComputerPlayerTest : public ArenaTest {
protected:
    void SetUpMatch(TPlayerStatus player1, TPlayerStatus player2)
    {
        game->settings.players[0].status = player1;
        game->settings.players[1].status = player2;
        EnterArena();
        Frame();
    }

    // Frames until the match ends or `limitMs` of game time has passed; the winner's slot
    // (0 or 1), or -1 without one. `watch` runs after every frame.
    int PlayOut(uint32_t limitMs, const std::function<void()>& watch = [] {})
    {
        const uint32_t start = GameClock::Milliseconds();
        while (GameClock::Milliseconds() - start < limitMs) {
            Frame();
            watch();
            if (arena->GetFlag("match_end")) return arena->winner - 1;
        }
        return -1;
    }

    std::shared_ptr<TComputerTankController> Computer(int slot)
    {
        return arena->GetGameObjectAs<TComputerTankController>("player" + std::to_string(slot + 1) +
                                                               "_computer_controller");
    }
};

// Watches one tank for driving without getting anywhere.
class StuckWatch {
public:
    void Look(const std::shared_ptr<TTank>& tank)
    {
        const uint32_t now = GameClock::Milliseconds();
        if (!tank || !tank->IsMoving() || tank->IsDisabled()) {
            since_.reset();
            return;
        }
        const vector3df p = tank->GetPosition();
        if (!since_ || p.getDistanceFrom(from_) >= 0.5f) {
            since_ = now;
            from_ = p;
        }
        worstMs = std::max(worstMs, now - *since_);
    }
    uint32_t worstMs = 0;

private:
    std::optional<uint32_t> since_;
    vector3df from_;
};

}  // namespace

TEST_F(ComputerPlayerTest, ComputerMatchesEndWithAWinnerAndNoTankSitsStuck)
{
    int finished = 0;
    for (int match = 0; match < 20; ++match) {
        SCOPED_TRACE(match);
        const TPlayerStatus levels[] = {TPlayerStatus::ComputerEasy, TPlayerStatus::ComputerNormal,
                                        TPlayerStatus::ComputerHard};
        SetUpMatch(levels[match % 3], levels[(match / 3) % 3]);
        StuckWatch watch1, watch2;
        const TSettings before = game->settings;
        int shells1 = 0, shells2 = 0;
        const int winner = PlayOut(10 * kMinute, [&] {
            watch1.Look(Tank("tank1"));
            watch2.Look(Tank("tank2"));
            int t1 = 0, t2 = 0;
            for (const auto& object : arena->GetGameObjects("TTankShell")) {
                auto shell = std::dynamic_pointer_cast<TTankShell>(object);
                (shell->tank_key == "tank1" ? t1 : t2) += 1;
            }
            shells1 = std::max(shells1, t1);
            shells2 = std::max(shells2, t2);
        });
        EXPECT_NE(winner, -1) << "no winner within ten minutes";
        EXPECT_LT(watch1.worstMs, 3000u);
        EXPECT_LT(watch2.worstMs, 3000u);
        EXPECT_LE(shells1, 1);
        EXPECT_LE(shells2, 1);
        finished += winner != -1;
        // The result is counted for this machine's slots.
        if (winner != -1) {
            EXPECT_EQ(game->settings.players[winner].wins, before.players[winner].wins + 1);
            EXPECT_EQ(game->settings.players[1 - winner].losses, before.players[1 - winner].losses + 1);
        }
        TGame::SetGameState("TitleScreen");
        Frame();
    }
    EXPECT_EQ(finished, 20);
}
TEST_F(ComputerPlayerTest, HardBeatsEasyInAtLeastSixteenOfTwentyMatches)
{
    int hardWins = 0;
    for (int match = 0; match < 20; ++match) {
        // Each difficulty plays from either slot.
        const int hardSlot = match % 2;
        SetUpMatch(hardSlot == 0 ? TPlayerStatus::ComputerHard : TPlayerStatus::ComputerEasy,
                   hardSlot == 0 ? TPlayerStatus::ComputerEasy : TPlayerStatus::ComputerHard);
        hardWins += PlayOut(10 * kMinute) == hardSlot;
        TGame::SetGameState("TitleScreen");
        Frame();
    }
    EXPECT_GE(hardWins, 16);
}

TEST_F(ComputerPlayerTest, NormalBeatsATankThatDoesNothingTenToNilWithinThreeMinutes)
{
    SetUpMatch(TPlayerStatus::Human, TPlayerStatus::ComputerNormal);
    const int winner = PlayOut(3 * kMinute);
    EXPECT_EQ(winner, 1);
    EXPECT_EQ(Player("player1")->score, 10);
    EXPECT_EQ(Player("player2")->score, 0);
}

TEST_F(ComputerPlayerTest, AgainstAnInvisibleTankItFiresOnlyWhereItLastSawIt)
{
    SetUpMatch(TPlayerStatus::Human, TPlayerStatus::ComputerNormal);
    auto computer = Computer(1);
    // It sees the idle tank, then the tank turns invisible and is carried away unseen.
    Place("tank2", vector3df(-10, 0, 5), 90);
    Frames(40);
    ASSERT_TRUE(computer->brain->LastSeen().has_value());
    Tap(irr::KEY_F8);
    Frames(30);
    ASSERT_EQ(Tank("tank2")->IsVisible(), 0);  // what it saw before the change has reached it
    const vector3df seen = *computer->brain->LastSeen();
    EXPECT_LT(seen.getDistanceFrom(vector3df(-10, 0, 5)), 0.5f);
    Place("tank2", vector3df(10, 0, -5), -90);
    int shots = 0;
    bool flying = Shell("tank1") != nullptr;
    for (int i = 0; i < 600; ++i) {
        Frame();
        ASSERT_EQ(Tank("tank2")->GetAnimator("die_anim"), nullptr) << "hit a tank it could not see";
        const bool now = Shell("tank1") != nullptr;
        if (now && !flying) {
            ++shots;
            ASSERT_TRUE(computer->brain->LastAimPoint().has_value());
            EXPECT_LT(computer->brain->LastAimPoint()->getDistanceFrom(seen), 0.5f) << "aimed where it never saw it";
        }
        flying = now;
        EXPECT_LT(computer->brain->LastSeen().value_or(seen).getDistanceFrom(seen), 0.01f);
    }
    EXPECT_GE(shots, 1) << "it fired at the last seen place";
}

TEST_F(ComputerPlayerTest, PathsJoinEveryPairOfRespawnPointsAndKeepOffTheWalls)
{
    EnterArenaWithoutDrivers();
    for (int arenaModel = 0; arenaModel < 3; ++arenaModel) {
        SCOPED_TRACE(arenaModel);
        if (arenaModel == 0) arena->LoadArenaBase();
        if (arenaModel == 1) arena->LoadArena1();
        if (arenaModel == 2) arena->LoadArena2();
        auto node = static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node);
        const WallMap walls(node);
        const float radius = 1.25f;  // the boxy tank's
        auto grid = TNavGrid::ForWalls(node->getTriangleSelector(), radius + 0.25f);
        const auto& points = ArenaObject()->respawn_points;
        for (size_t a = 0; a < points.size(); ++a)
            for (size_t b = 0; b < points.size(); ++b) {
                if (a == b) continue;
                const std::vector<vector3df> path = grid->FindPath(points[a], points[b]);
                ASSERT_GE(path.size(), 2u) << a << " to " << b;
                EXPECT_LT(path.back().getDistanceFrom(points[b]), 0.25f);
                for (size_t i = 0; i + 1 < path.size(); ++i)
                    for (float t = 0; t <= 1.0f; t += 0.02f) {
                        const vector3df p = path[i] + (path[i + 1] - path[i]) * t;
                        ASSERT_GE(walls.Clearance(p), radius) << a << " to " << b << " at " << p.X << "," << p.Z;
                        ASSERT_TRUE(walls.Inside(p));
                    }
            }
    }
}
