// Driving tanks: the keyboard controller of the match fed by key events posted to the
// engine device, the mouse controller's thresholds, and the player records.
#include "tests/support/ArenaFixture.h"
#include "game/control/KeyboardTankController.h"
#include "game/control/MouseTankController.h"

using irr::core::vector3df;

namespace {
// "tank1" is driven by "player2_key_controller".
constexpr int kDrive = irr::KEY_UP;
constexpr int kLeft = irr::KEY_LEFT;
constexpr int kRight = irr::KEY_RIGHT;
constexpr int kFire = irr::KEY_RETURN;
}  // namespace

class KeyboardController : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArena();
        Frame();
        tank = Tank("tank1");
        // Out in the open facing +Z, so that neither the tank nor its shell meets a wall.
        Place("tank1", vector3df(0, 0, 40), 0);
    }
    void DriveToTopSpeed()
    {
        Press(kDrive);
        ASSERT_TRUE(FramesUntil([&] { return tank->speed == tank->max_speed; }, 200));
    }
    std::shared_ptr<TTank> tank;
};

TEST_F(KeyboardController, MatchBindsTheArrowsAndEnterToTank1AndXZCTabToTank2)
{
    auto arrows = arena->GetGameObjectAs<TKeyboardTankController>("player2_key_controller");
    auto letters = arena->GetGameObjectAs<TKeyboardTankController>("player1_key_controller");
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(letters, nullptr);
    EXPECT_EQ(arrows->target_key, "tank1");
    EXPECT_EQ(arrows->keys, (std::array<int, 4>{38, 37, 39, 13}));
    EXPECT_EQ(letters->target_key, "tank2");
    EXPECT_EQ(letters->keys, (std::array<int, 4>{88, 90, 67, 9}));
}

TEST_F(KeyboardController, HeldDriveKeyStartsOnceAndKeepsAccelerating)
{
    Press(kDrive);
    Frame();
    const int started = tank->lastMoveMs;
    EXPECT_EQ(started, static_cast<int>(clock.Now()));
    EXPECT_EQ(tank->IsAccelerating(), 1);
    float speed = tank->speed;
    for (int i = 0; i < 10; ++i) {
        Frame();
        EXPECT_GT(tank->speed, speed);
        speed = tank->speed;
    }
    EXPECT_EQ(tank->lastMoveMs, started) << "a rolling tank is not restarted";
    EXPECT_GT(tank->GetPosition().Z, 40.0f);
}

TEST_F(KeyboardController, BothTurnKeysTurnRightAndReleasingStopsTheTurnAtOnce)
{
    Press(kLeft);
    Frame();
    EXPECT_EQ(tank->turn_speed, -3.0f);
    Press(kRight);
    Frame();
    EXPECT_EQ(tank->turn_speed, 3.0f);
    const float yaw = tank->GetRotation().Y;
    Frame();
    EXPECT_NE(tank->GetRotation().Y, yaw);
    Release(kLeft);
    Release(kRight);
    Frame();
    EXPECT_EQ(tank->turn_speed, 0.0f);
}

TEST_F(KeyboardController, ReleasingAtTopSpeedStopsOnceAndTheTankHalts)
{
    DriveToTopSpeed();
    Release(kDrive);
    Frame();
    EXPECT_EQ(tank->IsStopping(), 1);
    const int stopped = tank->lastMoveMs;
    EXPECT_EQ(stopped, static_cast<int>(clock.Now()));
    ASSERT_TRUE(FramesUntil(
        [&] {
            EXPECT_EQ(tank->lastMoveMs, stopped) << "Stop is called once";
            return tank->IsStopped() == 1;
        },
        200));
    Frames(10);
    EXPECT_EQ(tank->lastMoveMs, stopped) << "no Stop for a tank that stands";
    EXPECT_EQ(tank->IsStopping(), 0);
    EXPECT_EQ(tank->speed, 0.0f);
}

TEST_F(KeyboardController, PressingAgainWhileSlowingLetsTheTankHaltFirst)
{
    DriveToTopSpeed();
    Release(kDrive);
    Frames(3);
    Press(kDrive);
    ASSERT_TRUE(FramesUntil([&] { return tank->IsStopped() == 1; }, 200));
    Frame();
    EXPECT_EQ(tank->IsAccelerating(), 1) << "then it starts again";
}

TEST_F(KeyboardController, DisabledTankOnlyCoasts)
{
    DriveToTopSpeed();
    arena->SetTanksDisabled(1);
    Press(kLeft);
    Press(kFire);
    Frame();
    EXPECT_EQ(tank->IsStopping(), 1) << "the drive key is held, but a disabled tank coasts";
    EXPECT_EQ(tank->turn_speed, 0.0f);
    EXPECT_EQ(tank->GetShell(), nullptr);
    ASSERT_TRUE(FramesUntil([&] { return tank->IsStopped() == 1; }, 200));
    Frames(10);
    EXPECT_EQ(tank->IsStopped(), 1) << "and does not start again";
    EXPECT_EQ(tank->GetShell(), nullptr);
    EXPECT_EQ(tank->turn_speed, 0.0f);

    arena->SetTanksDisabled(0);
    Frame();
    EXPECT_EQ(tank->IsAccelerating(), 1);
    EXPECT_EQ(tank->turn_speed, -3.0f);
}

TEST_F(KeyboardController, HoldingFireFiresOnce)
{
    Press(kFire);
    Frame();
    auto first = tank->GetShell();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(FramesUntil([&] { return tank->GetShell() == nullptr; }, 100));
    Frames(20);
    EXPECT_EQ(tank->GetShell(), nullptr) << "still held: no second shot";
    Release(kFire);
    Frame();
    Press(kFire);
    Frame();
    EXPECT_NE(tank->GetShell(), nullptr);
}

TEST_F(KeyboardController, KeyPressedWhileTheShellFliesDoesNotQueueAShot)
{
    Press(kFire);
    Frame();
    Release(kFire);
    Frame();
    ASSERT_NE(tank->GetShell(), nullptr);
    Press(kFire);
    Frame();
    Release(kFire);
    ASSERT_TRUE(FramesUntil([&] { return tank->GetShell() == nullptr; }, 100));
    Frames(5);
    EXPECT_EQ(tank->GetShell(), nullptr);
}

class MouseController : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArena();
        arena->RemoveGameObject("player2_key_controller");
        arena->AddGameObject("mouse_controller", TMouseTankController::Create("tank1"));
        controller = arena->GetGameObjectAs<TMouseTankController>("mouse_controller");
        tank = Tank("tank1");
        Place("tank1", vector3df(0, 0, 40), 0);
        MoveTo(400, 300);
        Frame();
        ASSERT_TRUE(controller->start.has_value());
        ASSERT_EQ(*controller->start, irr::core::vector2di(400, 300));
    }
    void MoveTo(int x, int y) { Mouse(irr::EMIE_MOUSE_MOVED, x, y); }
    std::shared_ptr<TMouseTankController> controller;
    std::shared_ptr<TTank> tank;
};

TEST_F(MouseController, TurnsOnlyBeyondFiftyPixels)
{
    MoveTo(349, 300);
    Frame();
    EXPECT_EQ(tank->turn_speed, -3.0f);
    MoveTo(350, 300);
    Frame();
    EXPECT_EQ(tank->turn_speed, 0.0f);
    MoveTo(451, 300);
    Frame();
    EXPECT_EQ(tank->turn_speed, 3.0f);
    MoveTo(450, 300);
    Frame();
    EXPECT_EQ(tank->turn_speed, 0.0f);
}

TEST_F(MouseController, DrivesOnlyMoreThanFiftyPixelsUp)
{
    MoveTo(400, 250);
    Frame();
    EXPECT_EQ(tank->IsMoving(), 0);
    MoveTo(400, 249);
    Frame();
    EXPECT_EQ(tank->IsAccelerating(), 1);
    MoveTo(400, 400);
    Frame();
    EXPECT_EQ(tank->IsStopping(), 1) << "down is no reverse: the tank coasts";
}

TEST_F(MouseController, FiresOnReleaseAndRightButtonRecenters)
{
    Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, 400, 300);
    Frame();
    EXPECT_EQ(tank->GetShell(), nullptr);
    Mouse(irr::EMIE_LMOUSE_LEFT_UP, 400, 300);
    Frame();
    EXPECT_NE(tank->GetShell(), nullptr);

    MoveTo(300, 300);
    Frame();
    EXPECT_EQ(tank->turn_speed, -3.0f);
    Mouse(irr::EMIE_RMOUSE_PRESSED_DOWN, 300, 300);
    Mouse(irr::EMIE_RMOUSE_LEFT_UP, 300, 300);
    Frame();
    EXPECT_EQ(*controller->start, irr::core::vector2di(300, 300));
    EXPECT_EQ(tank->turn_speed, 0.0f);
}

class Players : public ArenaTest {
};

TEST_F(Players, FindTheirTankAndControllerInTheirState)
{
    EnterArena();
    auto player = TPlayer::Create("tank2", "player1_key_controller");
    EXPECT_EQ(player->GetTank(), nullptr) << "outside any state";
    arena->AddGameObject("probe_player", player);
    EXPECT_EQ(player->GetTank(), Tank("tank2"));
    EXPECT_EQ(player->GetController(), arena->GetGameObject("player1_key_controller"));
    player->SetTank("arena");
    EXPECT_EQ(player->GetTank(), nullptr) << "not a tank";

    auto match = Player("player1");
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->tank, "tank2");
    EXPECT_EQ(match->score, 0);
    EXPECT_EQ(Player("player2")->tank, "tank1");
    EXPECT_EQ(Player("player2")->controller, "player2_key_controller");
}
