// The same shots hit and miss as they always did: the tanks' new shapes and the effects
// drawn round shells and hits change what is seen, never what is scored.
#include <string>

#include "tests/support/ArenaFixture.h"

using irr::core::vector3df;

namespace {

struct Shot {
    const char* shooter;
    float targetYaw;  // of the target, which stands at kTarget; the shooter fires along -X
    float offset;     // of the line of fire from the target's centre, along z
    bool hits[2];     // in the perspective views and in the orthographic one, as the tanks
                      // were built before their remodelling
};

const vector3df kTarget(-2.5f, 0, 6.8f);

// Recorded with the tank models of before: head-on, broadside and from behind, through the
// middle, off centre and wide.
const Shot kShots[] = {
#include "ShotOutcomes.inc"
};

}  // namespace

class ShotOutcomes : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithoutDrivers();
        Frame();
    }

    // Fires one shot and lets it fly out; true if it scored.
    bool Fire(const Shot& shot)
    {
        const std::string shooter = shot.shooter;
        const std::string target = shooter == "tank1" ? "tank2" : "tank1";
        const std::string scorer = shooter == "tank1" ? "player1" : "player2";
        Place(target, kTarget, shot.targetYaw);
        Place(shooter, kTarget + vector3df(5.5f, 0, shot.offset), -90);
        // Far from the score limit, so that the match never ends on the way.
        Player("player1")->score = Player("player2")->score = 0;
        Frame();
        Tank(shooter)->Shoot(arena.get());
        EXPECT_TRUE(FramesUntil([&] { return Shell(shooter) == nullptr; }, 80));
        const bool hit = Player(scorer)->score > 0;
        // Let a death play out and its respawn happen before the next shot.
        if (hit) {
            EXPECT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
        }
        Frames(2);
        return hit;
    }
};

TEST_F(ShotOutcomes, TheSameShotsHitAndMissInEveryKindOfView)
{
    const char* const views[2] = {"overhead55_cam", "ortho_cam"};
    for (int v = 0; v < 2; ++v) {
        arena->SetGameView(views[v]);
        for (const Shot& shot : kShots) {
            SCOPED_TRACE(std::string(views[v]) + ": " + shot.shooter + " at yaw " + std::to_string(shot.targetYaw) +
                         ", offset " + std::to_string(shot.offset));
            const bool hit = Fire(shot);
            EXPECT_EQ(hit, shot.hits[v]);
        }
    }
}
