// The shell animator's bounce: the direction mirrored in the triangle's plane, the shell
// put back where the last frame left it and turned about Y to face its new way.
#include <gtest/gtest.h>

#include "framework/Game.h"
#include "framework/GameState.h"
#include "game/tank/TankShell.h"

namespace {

class Reflect : public ::testing::Test {
protected:
    void SetUp() override
    {
        TGame::InitClassData();
        game = std::make_unique<TGame>();
        ASSERT_EQ(game->InitGraphics(800, 600, 16, 0), 1);
        state = std::make_shared<TGameState>();
        TGame::AddGameState("s", state);
        TGame::SetGameState("s");
        shell = TTankShell::Create("tank1");
        state->AddGameObject("tank1_shell", shell);
        shell->SetNodeObject(state->smgr->addCubeSceneNode(0.1f));
    }
    void TearDown() override
    {
        state->ClearGameObjects();
        TGame::SetGameState("");
        TGame::ReleaseClassData();
        game.reset();
    }

    // A wall in the plane x = 0 whose normal (B - A) x (C - A) points along -X.
    const irr::core::triangle3df wall{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    std::unique_ptr<TGame> game;
    std::shared_ptr<TGameState> state;
    std::shared_ptr<TTankShell> shell;
    TankShellAnimator animator;
};

TEST_F(Reflect, MirrorsTheDirectionInTheTrianglesPlane)
{
    irr::core::vector3df head_on(1, 0, 0);
    animator.Reflect(shell.get(), wall, head_on);
    EXPECT_TRUE(head_on.equals({-1, 0, 0}));
    irr::core::vector3df slanted(1, 0, 1);
    animator.Reflect(shell.get(), wall, slanted);
    EXPECT_TRUE(slanted.equals({-1, 0, 1}));
    EXPECT_TRUE(animator.direction.equals({0, 0, 0.5f})) << "the animator's own direction stays";
}

TEST_F(Reflect, PutsTheShellBackAndTurnsItToFaceTheNewDirection)
{
    const irr::core::vector3df last = shell->GetPosition();
    shell->SetPosition({3, 0, 4});
    irr::core::vector3df direction(1, 0, 1);
    animator.Reflect(shell.get(), wall, direction);
    EXPECT_TRUE(shell->GetPosition().equals(last));
    // Facing (-1, 0, 1): the engine's yaw turns +Z toward +X, so that is -45 degrees.
    EXPECT_NEAR(shell->GetRotation().Y, -45.0f, 1e-3f);
}

TEST_F(Reflect, DegenerateTriangleLeavesTheDirection)
{
    irr::core::vector3df direction(1, 0, 1);
    animator.Reflect(shell.get(), irr::core::triangle3df({0, 0, 0}, {0, 0, 0}, {0, 0, 0}), direction);
    EXPECT_TRUE(direction.equals({1, 0, 1}));
}

}  // namespace
