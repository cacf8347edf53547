// The game shell: owns the engine device and the main loop, and keeps the registry of
// named game states, the current state, the frame limiter and the running game.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "framework/FrameCap.h"
#include "framework/GameBase.h"

class TGameState;
class TGameEventReceiver;
class TFramerate;
class TGamepads;

class TGame : public TGameBase {
    VEXMOOR_CLASS(TGame, TGameBase)

public:
    TGame();
    ~TGame() override;

    // Screen coordinates given for BaseResX x BaseResY, scaled to the real screen.
    virtual int SX(int x);
    virtual int SY(int y);

    // Class-level operations on the one registry, current state and frame limiter.
    static int SetTargetFPS(float fps);
    static float ApplySpeedFactor(float value);
    static irr::core::vector3df& ApplySpeedFactorToVector(irr::core::vector3df& v);
    static std::shared_ptr<TGameState> AddGameState(const std::string& key,
                                                    std::shared_ptr<TGameState> state);
    static int RemoveGameState(const std::string& key);
    static int IsGameState(const std::string& key);
    static int SetGameState(const std::string& key);
    static std::shared_ptr<TGameState> GetGameState(const std::string& key);
    static std::shared_ptr<TGameState> GetCurrentGameState();

    // The main loop: runs frames while a state is current; returns 0 at the end.
    virtual int Run();
    // One iteration of the main loop; false once no state is current (the loop is over).
    virtual bool RunFrame();
    virtual int OnGameEnd();
    virtual int OnEvent(const irr::SEvent& event);
    virtual int InitGraphics(int width, int height, int bits, int driverType);
    // Makes the engine device again, width x height in the current fullscreen and vsync
    // flags, with the colour depth and driver of the last InitGraphics. The fonts and
    // meshes of the game and of every state go first: they belong to the old device.
    virtual int ReopenGraphics(int width, int height);
    virtual int SetClsColor(std::optional<irr::video::SColor> color);
    virtual int SetClsMode(int clearBackBuffer, int clearZBuffer);
    virtual int SetAmbientLight(int red, int green, int blue);

    // Program start: a fresh frame limiter and an empty state registry (tests call it too).
    static void InitClassData();
    // Program end: lets go of the states and the current state before the engine goes.
    static void ReleaseClassData();
    // A uniformly distributed integer from lo to hi inclusive, from the game's generator.
    static int RandomInt(int lo, int hi);
    static std::mt19937& Random();

    irr::IrrlichtDevice* device = nullptr;
    irr::video::IVideoDriver* driver = nullptr;
    std::shared_ptr<TGameEventReceiver> events;
    // The gamepads, polled at the start of every frame; null when SDL is absent or not started.
    std::shared_ptr<TGamepads> gamepads;
    std::optional<irr::core::recti> screenRect;
    std::optional<irr::video::SColor> clsColor;
    int bClsBackBuffer = 1;
    int bClsZBuffer = 1;
    // Frame pacing: a cap on the frame rate (none by default), waited out after each drawn
    // frame; and the window's mode, read by InitGraphics.
    TFrameCap frameCap;
    bool fullscreen = true;
    bool vsync = false;
    // What the last InitGraphics was asked for.
    int graphicsBits = 16;
    int graphicsDriver = irr::video::EDT_OPENGL;
    // The X error that refused the last InitGraphics's device (its name), or empty.
    std::string lastXError;
    int BaseResX = 800;
    int BaseResY = 600;

    static KeyedMap<std::shared_ptr<TGameState>> GameStates;
    static std::shared_ptr<TGameState> CurrentGameState;
    static std::shared_ptr<TFramerate> Framerate;
    // Counts the state switches, so that a state can tell it was entered anew.
    static unsigned StateSwitches;
    // The running game; each construction makes itself the running game.
    static TGame* GameInstance;

private:
    void ReleaseDevice();
    void RenderFrame();
    bool gameEnded_ = false;
};
