// The computer player against bouncing shells in the open field: it sees where a shell will
// come back off a wall and steps out of that leg of its path before the shell gets there.
#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"
#include "game/control/ComputerTankController.h"
#include "game/ai/Aim.h"

using irr::core::vector3df;

class ComputerAndBouncingShell : public ArenaTest {
protected:
    // Player 2's computer ("tank1") of `difficulty` stands facing away from player 1's tank
    // ("tank2", nobody driving it), which fires at the north wall so that the shell comes
    // back through the computer's tank; its straight line before the wall passes far from
    // it. Whether the computer's tank was hit.
    bool HitByTheBounce(const ai::TDifficulty& difficulty)
    {
        game->settings.match.arena = TArenaChoice::OpenField;
        game->settings.match.shells = TShellKind::Bouncing;
        game->settings.match.bounces = 1;
        game->settings.players[1].status = TPlayerStatus::ComputerNormal;
        EnterArena();
        arena->RemoveGameObject("player1_key_controller");
        auto computer = arena->GetGameObjectAs<TComputerTankController>("player2_computer_controller");
        EXPECT_TRUE(computer);
        if (!computer) return false;
        computer->difficulty = difficulty;  // its brain is made at its first update
        const vector3df shooter(-10, 0, -6), target(6, 0, 6);
        Place("tank2", shooter, 0);
        Place("tank1", target, ai::YawTo(shooter, target));
        Frame();

        // Aimed at the target's mirror image in the line the shell's middle turns on.
        const WallMap walls(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
        const float turnZ = walls.FirstStop(target, vector3df(0, 0, 1), 0.15f, 40.0f).Z;
        const vector3df mirror(target.X, 0, 2.0f * turnZ - target.Z);
        Place("tank2", shooter, ai::YawTo(shooter, mirror));
        Frame();
        Tank("tank2")->Shoot(arena.get());
        auto shell = Shell("tank2");
        EXPECT_TRUE(shell);
        bool bounced = false, hit = false;
        FramesUntil(
            [&] {
                if (auto flying = Shell("tank2")) bounced = bounced || flying->bounces > 0;
                hit = Tank("tank1")->GetAnimator("die_anim") != nullptr;
                return hit || !Shell("tank2");
            },
            300);
        EXPECT_TRUE(bounced);
        EXPECT_EQ(Tank("tank2")->GetAnimator("die_anim"), nullptr) << "the shooter was hit first";
        TGame::SetGameState("TitleScreen");
        Frame();
        return hit;
    }
};

TEST_F(ComputerAndBouncingShell, NormalAndHardLeaveTheLegThatComesBackOffTheWallAndThatLegIsATrueShot)
{
    for (const auto& [name, difficulty] : {std::pair{"normal", ai::TDifficulty::Normal()},
                                           std::pair{"hard", ai::TDifficulty::Hard()}}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(HitByTheBounce(difficulty));
    }
    // The same shot at a computer that does not dodge: it is hit.
    ai::TDifficulty still = ai::TDifficulty::Normal();
    still.dodges = false;
    EXPECT_TRUE(HitByTheBounce(still));
}
