// The computer player in a match of three tanks: it takes on the enemy the layout calls for.
#include "tests/support/ArenaFixture.h"
#include "game/control/ComputerTankController.h"

using irr::core::vector3df;

TEST_F(ArenaTest, AComputerAmongTwoEnemiesAimsAtTheNearerOneInTheOpen)
{
    game->settings.match.arena = TArenaChoice::OpenField;
    game->settings.players[1].status = TPlayerStatus::ComputerHard;  // drives "tank1"
    EnterArena();
    arena->LoadBoxyTank("tank3", "Tank3");
    arena->slots = {0, 1, 2};
    Frame();
    auto computer = arena->GetGameObjectAs<TComputerTankController>("player2_computer_controller");
    ASSERT_TRUE(computer);
    // Both enemies in the open, "tank3" the nearer.
    Place("tank1", vector3df(0, 0, 7), 0);
    Place("tank2", vector3df(-15, 0, 7), 0);
    Place("tank3", vector3df(7, 0, 7), 0);
    ASSERT_TRUE(FramesUntil([&] { return computer->brain && computer->brain->LastAimPoint(); }, 300));
    EXPECT_LT(computer->brain->LastAimPoint()->getDistanceFrom(vector3df(7, 0, 7)), 1.5f);
}
