// The one fixture of the match's tests: runs the match state with the real media and a
// hand-driven clock (on the NULL driver unless a fixture built on it asks for another),
// frames one by one, 16 ms apart, and input posted to the engine device so that it goes
// through the game's own receiver. The helpers before it place tanks and wait for a
// condition in any match, the network tests' two games too.
#pragma once

#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameEventReceiver.h"
#include "game/world/Arena.h"
#include "game/match/ArenaScreen.h"
#include "game/world/Player.h"
#include "game/world/SceneChildren.h"
#include "game/tank/Tank.h"
#include "game/tank/MaintainTankY.h"
#include "game/tank/PositionCameraAnimator.h"
#include "game/tank/TankDieAnimator.h"
#include "game/tank/TankMinimumDistanceAnimator.h"
#include "game/tank/TankVisibleAnimator.h"
#include "game/tank/TankShell.h"
#include "game/screens/TitleScreen.h"
#include "game/Vexmoor.h"
#include "game/world/ArenaWorld.h"
#include "sound/SoundDevice.h"
#include "tests/support/InputEvents.h"

// Puts a tank somewhere new and lets its collision animators start from there, as a
// respawn does.
inline void PlaceTank(TArenaWorld& world, const std::string& key, irr::core::vector3df position, float yaw)
{
    auto tank = world.GetGameObjectAs<TTank>(key);
    tank->_node->setPosition(position);
    tank->_node->setRotation(irr::core::vector3df(0, yaw, 0));
    tank->_node->updateAbsolutePosition();
    tank->lastGlobalPosition = tank->GetGlobalPosition();
    tank->lastPosition = tank->GetPosition();
    world.RebuildCollisionAnimators();
}

// Two tanks face to face across the open lane north of the fort (clear in every arena),
// `shooter` west and `target` east, each halfDistance from the middle.
inline void PlaceFacing(TArenaWorld& world, const std::string& shooter, const std::string& target, float halfDistance)
{
    PlaceTank(world, shooter, irr::core::vector3df(-halfDistance, 0, 7), 90);
    PlaceTank(world, target, irr::core::vector3df(halfDistance, 0, 7), -90);
}
// The distance PlaceFacing leaves for a shot that cannot miss.
constexpr float kPointBlank = 2.5f;

// Runs step() until the condition holds; false if it never did within `limit` steps.
template <class Step, class Condition>
bool StepUntil(Step step, Condition done, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (done()) return true;
        step();
    }
    return done();
}

class ArenaTest : public ::testing::Test {
protected:
    static constexpr int kFrameMs = 16;

    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        ASSERT_TRUE(game->InitGraphics(800, 600, 16, driverType)) << "no window for driver " << driverType
                                                                 << " (no X display?)";
        TGame::AddGameState("Arena", arena);
        TGame::AddGameState("TitleScreen", title);
    }
    void TearDown() override
    {
        // Leave as the game does when it quits, then silence the one-shot sounds that
        // would play on in real time, so that the next test finds every voice free.
        if (TGame::GetCurrentGameState()) TGame::SetGameState("");
        TGame::ReleaseClassData();
        game.reset();
        SoundDevice::Shutdown();
        GameClock::SetSource(nullptr);
    }

    // Enters the match the way the title screen does.
    void EnterArena() { TGame::SetGameState("Arena"); }

    // The tanks with nobody driving them, for tests of the tank's own operations.
    void EnterArenaWithoutDrivers()
    {
        EnterArena();
        arena->RemoveGameObject("player1_key_controller");
        arena->RemoveGameObject("player2_key_controller");
    }
    // The same, and its first frame run.
    void EnterIdleArena()
    {
        EnterArenaWithoutDrivers();
        Frame();
    }

    // Driverless tanks north of the arena, facing away from it: nothing in a shell's way.
    void EnterArenaWithTanksInTheOpen()
    {
        EnterIdleArena();
        Place("tank1", irr::core::vector3df(0, 0, 40), 0);
        Place("tank2", irr::core::vector3df(30, 0, 40), 0);
        Frame();
    }

    void Frame()
    {
        clock.Advance(kFrameMs);
        game->RunFrame();
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) Frame();
    }
    // Runs frames until the condition holds; false if it never did within `limit` frames.
    template <class Condition>
    bool FramesUntil(Condition done, int limit)
    {
        return StepUntil([this] { Frame(); }, done, limit);
    }
    // Runs a frame at exactly `ms` after the current clock.
    void FrameAfter(int ms)
    {
        clock.Advance(static_cast<uint32_t>(ms));
        game->RunFrame();
    }

    void Key(int key, bool down) { game->device->postEventFromUser(KeyEvent(static_cast<irr::EKEY_CODE>(key), down)); }
    void Press(int key) { Key(key, true); }
    void Release(int key) { Key(key, false); }
    void Tap(int key)
    {
        Press(key);
        Release(key);
    }
    // A key pressed in one frame and released in the next, as a player taps it.
    void TapAcrossFrames(int key)
    {
        Press(key);
        Frame();
        Release(key);
        Frame();
    }
    void Mouse(irr::EMOUSE_INPUT_EVENT kind, int x, int y) { game->device->postEventFromUser(MouseEvent(kind, x, y)); }

    std::shared_ptr<TTank> Tank(const std::string& key) { return arena->GetGameObjectAs<TTank>(key); }
    std::shared_ptr<TArena> ArenaObject() { return arena->GetGameObjectAs<TArena>("arena"); }
    // Whether lines at shell height from `gun` to the middle and both sides of a tank at
    // `point` all meet a wall, asked of the engine's own collision manager.
    bool Hidden(const irr::core::vector3df& point, const irr::core::vector3df& gun)
    {
        irr::core::vector3df side = (point - gun).crossProduct(irr::core::vector3df(0, 1, 0));
        side.setLength(1.0f);
        for (float s : {0.0f, -1.0f, 1.0f}) {
            const irr::core::vector3df shift = side * s + irr::core::vector3df(0, 0.4f, 0);
            irr::core::line3df line(gun + shift, point + shift);
            irr::core::vector3df hit;
            irr::core::triangle3df triangle;
            irr::scene::ISceneNode* node = nullptr;
            if (!arena->smgr->getSceneCollisionManager()->getCollisionPoint(
                    line, ArenaObject()->_node->getTriangleSelector(), hit, triangle, node))
                return false;
        }
        return true;
    }
    std::shared_ptr<TPlayer> Player(const std::string& key) { return arena->GetGameObjectAs<TPlayer>(key); }
    std::shared_ptr<TTankShell> Shell(const std::string& tankKey)
    {
        return arena->GetGameObjectAs<TTankShell>(tankKey + "_shell");
    }

    // Puts a tank somewhere new and lets its collision animators start from there, as a
    // respawn does.
    void Place(const std::string& key, irr::core::vector3df position, float yaw)
    {
        PlaceTank(*arena, key, position, yaw);
    }

    // The loudest sample of the next `seconds` of the mix; needs ListenToTheMix() first.
    static float MixPeak(float seconds)
    {
        std::vector<float> mix(static_cast<size_t>(seconds * kMixRate) * 2);
        EXPECT_EQ(SoundDevice::Render(mix.data(), static_cast<int>(mix.size() / 2)), 0);
        float peak = 0.0f;
        for (float sample : mix) peak = std::max(peak, std::fabs(sample));
        return peak;
    }
    // Sends the game's sound to a loopback device that mixes only when MixPeak asks, so
    // that a test hears what plays; call it before the arena loads its sounds.
    static void ListenToTheMix() { ASSERT_EQ(SoundDevice::OpenLoopbackForTest(kMixRate), 1); }
    static constexpr int kMixRate = 44100;
    // Far below any of the game's sounds at the volumes it plays them.
    static constexpr float kSilence = 1e-4f;

    static std::string Current()
    {
        auto state = TGame::GetCurrentGameState();
        return state ? state->state_key : "";
    }

    // The engine driver SetUp opens the window with.
    int driverType = irr::video::EDT_NULL;
    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    std::shared_ptr<TVexmoorArenaScreen> arena = std::make_shared<TVexmoorArenaScreen>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
};
