// Gamepads in the match: SDL virtual pads drive, turn and fire the tanks through the pad
// controller; Start and Back; a pad pulled out pauses the match with a line naming the
// player; a game without SDL plays from the keyboard.
#include <functional>
#include <map>

#include "tests/support/ArenaFixture.h"
#include "framework/Gamepads.h"
#include "game/control/KeyboardTankController.h"
#include "game/control/PadTankController.h"
#include "game/ai/Aim.h"
#include "tests/support/VirtualPad.h"

using irr::core::vector3df;

namespace {

// The arena, noting what it writes on the screen.
class WritingArena : public TVexmoorArenaScreen {
public:
    int OnRender() override
    {
        texts.clear();
        return TVexmoorArenaScreen::OnRender();
    }
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<irr::video::SColor> color, int x,
                 int y, int w, int h, int hcenter, int vcenter) override
    {
        texts.push_back(text);
        return TVexmoorArenaScreen::DrawText(text, font, color, x, y, w, h, hcenter, vcenter);
    }
    bool Wrote(const std::wstring& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
    std::vector<std::wstring> texts;
};

}  // namespace

class GamepadMatch : public ArenaTest {
protected:
    GamepadMatch() { arena = writing; }
    void SetUp() override
    {
        ArenaTest::SetUp();
        game->gamepads = TGamepads::Open();
        ASSERT_NE(game->gamepads, nullptr);
        pad1 = std::make_unique<VirtualPad>();
        pad2 = std::make_unique<VirtualPad>();
        ASSERT_TRUE(pad1->Attached() && pad2->Attached()) << SDL_GetError();
        game->gamepads->Poll();
        ASSERT_EQ(game->gamepads->ConnectedCount(), 2);
        // Player 1 (the boxy "tank2") on the first pad, player 2 ("tank1") on the second.
        game->settings.players[0].status = TPlayerStatus::Gamepad1;
        game->settings.players[1].status = TPlayerStatus::Gamepad2;
        EnterArena();
        Frame();
        ASSERT_EQ(game->gamepads->ConnectedCount(), 2);
        // Out in the open, facing +Z, far apart.
        Place("tank2", vector3df(-15, 0, 40), 0);
        Place("tank1", vector3df(15, 0, 40), 0);
    }
    void TearDown() override
    {
        pad1.reset();
        pad2.reset();
        ArenaTest::TearDown();
    }
    void TapButton(VirtualPad& pad, SDL_GameControllerButton button)
    {
        pad.Button(button, true);
        Frame();
        pad.Button(button, false);
        Frame();
    }

    std::shared_ptr<WritingArena> writing = std::make_shared<WritingArena>();
    std::unique_ptr<VirtualPad> pad1, pad2;
};

TEST_F(GamepadMatch, SlotsSetToAGamepadAreDrivenByThatPad)
{
    auto first = std::dynamic_pointer_cast<TPadTankController>(Player("player1")->GetController());
    auto second = std::dynamic_pointer_cast<TPadTankController>(Player("player2")->GetController());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->target_key, "tank2");
    EXPECT_EQ(first->pad, 0);
    EXPECT_EQ(second->target_key, "tank1");
    EXPECT_EQ(second->pad, 1);

    // A slot whose pad is not plugged in when the match starts plays from its keys.
    pad2.reset();
    Frame();
    TGame::SetGameState("TitleScreen");
    EnterArena();
    Frame();
    EXPECT_NE(std::dynamic_pointer_cast<TPadTankController>(Player("player1")->GetController()), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TKeyboardTankController>(Player("player2")->GetController()), nullptr);
}

TEST_F(GamepadMatch, AOrTheRightTriggerDrivesAndLettingGoCoasts)
{
    auto tank = Tank("tank2");
    pad1->Button(SDL_CONTROLLER_BUTTON_A, true);
    Frames(20);
    EXPECT_EQ(tank->IsAccelerating(), 1);
    EXPECT_GT(tank->GetPosition().Z, 40.0f);
    pad1->Button(SDL_CONTROLLER_BUTTON_A, false);
    Frame();
    EXPECT_EQ(tank->IsStopping(), 1);
    ASSERT_TRUE(FramesUntil([&] { return tank->IsStopped() == 1; }, 200));

    pad1->Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.3f);  // under the threshold
    Frames(5);
    EXPECT_EQ(tank->IsStopped(), 1);
    pad1->Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0f);
    Frames(5);
    EXPECT_EQ(tank->IsAccelerating(), 1);
}

TEST_F(GamepadMatch, StickAndDpadTurnAtTheTanksFixedRate)
{
    auto tank = Tank("tank2");
    pad1->Axis(SDL_CONTROLLER_AXIS_LEFTX, -0.8f);
    Frame();
    EXPECT_EQ(tank->turn_speed, -tank->turn_rate);
    pad1->Axis(SDL_CONTROLLER_AXIS_LEFTX, 1.0f);
    Frame();
    EXPECT_EQ(tank->turn_speed, tank->turn_rate);
    pad1->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.0f);
    Frame();
    EXPECT_EQ(tank->turn_speed, 0.0f);
    pad1->Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    Frame();
    EXPECT_EQ(tank->turn_speed, -tank->turn_rate);
    const float yaw = tank->GetRotation().Y;
    Frame();
    EXPECT_NE(tank->GetRotation().Y, yaw);
    pad1->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    Frame();
    EXPECT_EQ(tank->turn_speed, tank->turn_rate) << "with both held the right turn wins";
    pad1->Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    pad1->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    Frame();
    EXPECT_EQ(tank->turn_speed, 0.0f);
}

TEST_F(GamepadMatch, StickTurnsPastThresholdAndStopsOnlyWellBelowIt)
{
    auto tank = Tank("tank2");
    // Rising: off until 0.35; falling: on down to 0.25.
    const struct {
        float stick;
        float turn;
    } steps[] = {{0.30f, 0}, {0.34f, 0}, {0.36f, 1}, {0.30f, 1}, {0.26f, 1}, {0.20f, 0}, {0.30f, 0},
                 {-0.30f, 0}, {-0.40f, -1}, {-0.27f, -1}, {-0.24f, 0}};
    for (const auto& step : steps) {
        pad1->Axis(SDL_CONTROLLER_AXIS_LEFTX, step.stick);
        Frame();
        EXPECT_EQ(tank->turn_speed, step.turn * tank->turn_rate) << "stick at " << step.stick;
    }
}

TEST_F(GamepadMatch, BOrTheRightShoulderFiresOneShellAPress)
{
    pad1->Button(SDL_CONTROLLER_BUTTON_B, true);
    Frame();
    ASSERT_NE(Shell("tank2"), nullptr);
    Frames(3);
    pad1->Button(SDL_CONTROLLER_BUTTON_B, false);
    ASSERT_TRUE(FramesUntil([&] { return Shell("tank2") == nullptr; }, 100));
    Frames(3);
    EXPECT_EQ(Shell("tank2"), nullptr) << "a held button fires once";
    TapButton(*pad1, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    EXPECT_NE(Shell("tank2"), nullptr);
}

TEST_F(GamepadMatch, TwoPadsDriveTheirOwnTanksOnly)
{
    pad1->Button(SDL_CONTROLLER_BUTTON_A, true);
    pad2->Axis(SDL_CONTROLLER_AXIS_LEFTX, 1.0f);
    pad2->Button(SDL_CONTROLLER_BUTTON_B, true);
    Frames(20);
    EXPECT_GT(Tank("tank2")->GetPosition().Z, 40.1f);
    EXPECT_EQ(Tank("tank2")->turn_speed, 0.0f);
    EXPECT_EQ(Shell("tank2"), nullptr);
    EXPECT_FLOAT_EQ(Tank("tank1")->GetPosition().Z, 40.0f);
    EXPECT_EQ(Tank("tank1")->turn_speed, Tank("tank1")->turn_rate);
    EXPECT_NE(Shell("tank1"), nullptr);
}

TEST_F(GamepadMatch, StartPausesAndResumesAsF9AndBackReturnsToTheTitle)
{
    TapButton(*pad2, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 1);
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);
    TapButton(*pad1, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 0);
    TapButton(*pad1, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(GamepadMatch, PadPulledOutPausesWithItsPlayerNamedAndPluggedBackResumes)
{
    auto tank = Tank("tank2");
    pad1->Button(SDL_CONTROLLER_BUTTON_A, true);
    Frames(20);
    ASSERT_GT(tank->speed, 0.0f);
    pad1->Detach();
    Frame();
    EXPECT_EQ(TGame::Framerate->IsPaused(), 1);
    EXPECT_EQ(arena->IsPadLost(1), 1);
    EXPECT_EQ(arena->IsPadLost(2), 0);
    Frame();
    EXPECT_TRUE(writing->Wrote(L"PLAYER 1: GAMEPAD DISCONNECTED"));
    EXPECT_FALSE(writing->Wrote(L"PLAYER 2: GAMEPAD DISCONNECTED"));
    EXPECT_EQ(tank->IsStopping(), 1) << "the tank coasts";

    pad1->Attach();  // takes the first pad's place again
    Frame();
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    EXPECT_EQ(arena->IsPadLost(1), 0);
    Frame();
    EXPECT_FALSE(writing->Wrote(L"PLAYER 1: GAMEPAD DISCONNECTED"));
    pad1->Button(SDL_CONTROLLER_BUTTON_A, true);
    Frames(5);
    EXPECT_EQ(tank->IsAccelerating(), 1) << "the plugged-in pad drives again";
}

TEST_F(GamepadMatch, F9ResumesAMatchPausedByAPadThatStaysOut)
{
    pad2->Detach();
    Frame();
    ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
    ASSERT_EQ(arena->IsPadLost(2), 1);
    Tap(irr::KEY_F9);
    Frame();
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    Frame();
    EXPECT_FALSE(writing->Wrote(L"PLAYER 2: GAMEPAD DISCONNECTED"));
    Frames(5);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0) << "a pad still out does not pause again";
    pad1->Button(SDL_CONTROLLER_BUTTON_A, true);
    Frames(5);
    EXPECT_EQ(Tank("tank2")->IsAccelerating(), 1) << "the other player plays on";
}

// A pause the player made, with F9 or Start, is the player's: a pad pulled out and plugged
// back in meanwhile does not end it.
TEST_F(GamepadMatch, APlayersOwnPauseOutlastsAPadPulledOutAndPluggedBackIn)
{
    for (bool byStart : {false, true}) {
        SCOPED_TRACE(byStart ? "Start" : "F9");
        if (byStart)
            TapButton(*pad2, SDL_CONTROLLER_BUTTON_START);
        else
            Tap(irr::KEY_F9);
        Frame();
        ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
        pad1->Detach();
        Frames(3);
        EXPECT_EQ(arena->IsPadLost(1), 1);
        pad1->Attach();
        Frames(3);
        EXPECT_EQ(arena->IsPadLost(1), 0);
        EXPECT_EQ(TGame::Framerate->IsPaused(), 1) << "the pad's return ended the player's pause";
        Tap(irr::KEY_F9);
        Frame();
        ASSERT_EQ(TGame::Framerate->IsPaused(), 0);
    }
}

TEST_F(GamepadMatch, PadsRumbleOnTheirTanksDeathLongAndOnAHitShort)
{
    Tank("tank2")->Die(vector3df(1, 0, 0));
    Frame();
    EXPECT_EQ(pad1->rumbles, 1);
    EXPECT_EQ(pad2->rumbles, 1);
    EXPECT_GT(pad1->lastRumble, pad2->lastRumble) << "the dying tank's pad rumbles harder";
    Frames(5);
    EXPECT_EQ(pad1->rumbles, 1) << "once a death";
}

// Two players on two pads, each turning toward the other with the stick, closing in with A
// and firing with B, play a match on the open field to its end.
TEST_F(GamepadMatch, TwoPadsPlayAWholeMatch)
{
    game->settings.match.arena = TArenaChoice::OpenField;
    TGame::SetGameState("TitleScreen");
    EnterArena();
    const struct {
        VirtualPad* pad;
        const char* tank;
        const char* other;
    } players[] = {{pad1.get(), "tank2", "tank1"}, {pad2.get(), "tank1", "tank2"}};
    // Each player's hands: whether B is down, which way the stick is pushed.
    struct {
        bool fireHeld = false;
        float turning = 0;
    } hands[2];
    int frames = 0;
    for (; frames < 60 * 60 * 5 && !arena->GetFlag("match_end"); ++frames) {
        for (int i = 0; i < 2; ++i) {
            auto& h = hands[i];
            VirtualPad& pad = *players[i].pad;
            const auto self = Tank(players[i].tank);
            const auto other = Tank(players[i].other);
            const float off =
                ai::AngleDifference(self->GetHeading(), ai::YawTo(self->GetPosition(), other->GetPosition()));
            // Keep turning the way the turn began until the gun is within a turn step of the
            // target (a target right behind would flip it each frame); close in to where that
            // step's miss is inside the target.
            float stick = std::fabs(off) <= 1.6f ? 0.0f : h.turning != 0 ? h.turning : off > 0 ? 1.0f : -1.0f;
            h.turning = stick;
            const bool drive = self->GetPosition().getDistanceFrom(other->GetPosition()) > 12 && std::fabs(off) < 30;
            pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, stick);
            pad.Button(SDL_CONTROLLER_BUTTON_A, drive);
            h.fireHeld = !h.fireHeld && std::fabs(off) < 2;  // each shot a fresh press
            pad.Button(SDL_CONTROLLER_BUTTON_B, h.fireHeld);
        }
        Frame();
    }
    const int hits1 = Player("player1")->score, hits2 = Player("player2")->score;  // hits taken
    ASSERT_TRUE(arena->GetFlag("match_end")) << "no end after " << frames << " frames, " << hits1 << ":" << hits2;
    EXPECT_EQ(std::max(hits1, hits2), game->settings.match.scoreTo);
    EXPECT_EQ(arena->winner, hits1 > hits2 ? 2 : 1);
    EXPECT_GT(std::min(hits1, hits2), 0) << "both pads scored";
}

class WithoutSdl : public ArenaTest {};

TEST_F(WithoutSdl, SdlThatCannotStartLeavesOneLineAndKeyboardPlay)
{
    auto saved = TGamepads::StartSdl;
    TGamepads::StartSdl = [](uint32_t) { return SDL_SetError("no controller support here"); };
    testing::internal::CaptureStderr();
    game->gamepads = TGamepads::Open();
    const std::string err = testing::internal::GetCapturedStderr();
    TGamepads::StartSdl = saved;
    EXPECT_EQ(game->gamepads, nullptr);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("no controller support here"), std::string::npos) << err;

    EnterArena();
    Frame();
    Place("tank2", vector3df(0, 0, 40), 0);
    Press(irr::KEY_KEY_X);
    Press(irr::KEY_TAB);
    Frames(20);
    EXPECT_GT(Tank("tank2")->GetPosition().Z, 40.0f);
    EXPECT_NE(Shell("tank2"), nullptr);
}


// Four tanks, each from its own device: two players at the keyboard, one at a pad, one
// computer. Each device moves only its own tank, and the computer plays the match to its end
// against the three who stand still.
TEST_F(GamepadMatch, KeyboardsAPadAndAComputerShareAMatchOfFour)
{
    pad2.reset();
    game->gamepads->Poll();
    game->settings.players[0].status = TPlayerStatus::Human;
    game->settings.players[1].status = TPlayerStatus::Human;
    game->settings.players[2].status = TPlayerStatus::Gamepad1;
    game->settings.players[3].status = TPlayerStatus::ComputerHard;
    game->settings.match.arena = TArenaChoice::OpenField;
    game->settings.match.scoreTo = 3;
    TGame::SetGameState("TitleScreen");
    Frame();
    EnterArena();
    Frame();
    ASSERT_EQ(arena->slots, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_NE(std::dynamic_pointer_cast<TKeyboardTankController>(Player("player1")->GetController()), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TKeyboardTankController>(Player("player2")->GetController()), nullptr);
    auto pad = std::dynamic_pointer_cast<TPadTankController>(Player("player3")->GetController());
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->target_key, "tank3");
    EXPECT_EQ(pad->pad, 0);

    // Each device on its own: only its tank leaves its place.
    const auto drivesOnly = [&](const std::string& driven, const std::function<void(bool)>& hold) {
        Place("tank2", vector3df(-15, 0, 5), 0);
        Place("tank1", vector3df(-5, 0, 5), 0);
        Place("tank3", vector3df(5, 0, 5), 0);
        Place("tank4", vector3df(15, 0, -10), 180);  // the computer far off, its back turned
        std::map<std::string, vector3df> before;
        for (const char* key : {"tank1", "tank2", "tank3"}) before[key] = Tank(key)->GetPosition();
        hold(true);
        Frames(40);
        hold(false);
        for (const char* key : {"tank1", "tank2", "tank3"}) {
            const bool moved = Tank(key)->GetPosition().getDistanceFrom(before[key]) > 0.2f;
            EXPECT_EQ(moved, key == driven) << key << " while " << driven << "'s device was held";
        }
        Frames(120);  // to a stop
    };
    const TSettings& s = game->settings;
    drivesOnly("tank2", [&](bool down) { Key(s.players[0].keys.forward, down); });
    drivesOnly("tank1", [&](bool down) { Key(s.players[1].keys.forward, down); });
    drivesOnly("tank3", [&](bool down) { pad1->Button(SDL_CONTROLLER_BUTTON_A, down); });

    ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("match_end") != 0; }, 60 * 60 * 5))
        << "the computer did not end the match";
    EXPECT_EQ(arena->winner, 4);
    EXPECT_EQ(Player("player4")->hits, 3);
}
