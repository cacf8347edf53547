#include "framework/Game.h"

#include <stdexcept>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/GameEventReceiver.h"
#include "framework/Gamepads.h"
#include "framework/GameState.h"
#include "framework/StopSignals.h"
#include "framework/WindowWatch.h"

KeyedMap<std::shared_ptr<TGameState>> TGame::GameStates;
std::shared_ptr<TGameState> TGame::CurrentGameState;
std::shared_ptr<TFramerate> TGame::Framerate;
unsigned TGame::StateSwitches = 0;
TGame* TGame::GameInstance = nullptr;

void TGame::InitClassData()
{
    Framerate = TFramerate::FrameLimitInit();
    GameStates.Clear();
    CurrentGameState.reset();
}

void TGame::ReleaseClassData()
{
    CurrentGameState.reset();
    GameStates.Clear();
}

std::mt19937& TGame::Random()
{
    static std::mt19937 generator;
    return generator;
}

int TGame::RandomInt(int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(Random());
}

TGame::TGame()
{
    if (!Framerate) Framerate = TFramerate::FrameLimitInit();
    GameInstance = this;
    Random().seed(GameClock::Milliseconds());
}

TGame::~TGame()
{
    ReleaseDevice();
    if (GameInstance == this) GameInstance = nullptr;
}

void TGame::ReleaseDevice()
{
    if (device) {
        device->drop();
        device = nullptr;
        driver = nullptr;
    }
}

int TGame::SX(int x)
{
    const int width = static_cast<int>(driver->getScreenSize().Width);
    return x * width / BaseResX;
}

int TGame::SY(int y)
{
    const int height = static_cast<int>(driver->getScreenSize().Height);
    return y * height / BaseResY;
}

int TGame::SetTargetFPS(float fps)
{
    Framerate->SetTargetFPS(fps);
    return 0;
}

float TGame::ApplySpeedFactor(float value)
{
    return value * Framerate->speedfactor;
}

irr::core::vector3df& TGame::ApplySpeedFactorToVector(irr::core::vector3df& v)
{
    v *= Framerate->speedfactor;
    return v;
}

std::shared_ptr<TGameState> TGame::AddGameState(const std::string& key, std::shared_ptr<TGameState> state)
{
    RemoveGameState(key);
    state->state_key = key;
    GameStates.Set(key, state);
    return state;
}

int TGame::RemoveGameState(const std::string& key)
{
    GameStates.Remove(key);
    return 0;
}

int TGame::IsGameState(const std::string& key)
{
    return GameStates.Contains(key) ? 1 : 0;
}

std::shared_ptr<TGameState> TGame::GetGameState(const std::string& key)
{
    return GameStates.Get(key);
}

std::shared_ptr<TGameState> TGame::GetCurrentGameState()
{
    return CurrentGameState;
}

int TGame::SetGameState(const std::string& key)
{
    if (!key.empty()) {
        std::shared_ptr<TGameState> next = GameStates.Get(key);
        if (!next) throw std::runtime_error("SetGameState: GameState does not exist");
        std::shared_ptr<TGameState> previous = CurrentGameState;
        if (previous) previous->OnLeaveGameState(next.get());
        if (GameInstance && GameInstance->device) {
            next->smgr = GameInstance->device->getSceneManager();
            next->guienv = GameInstance->device->getGUIEnvironment();
        }
        next->OnSetGameState(previous.get());
        CurrentGameState = next;
    } else {
        if (CurrentGameState) CurrentGameState->OnLeaveGameState(nullptr);
        CurrentGameState.reset();
    }
    ++StateSwitches;
    if (GameInstance && GameInstance->events) {
        GameInstance->events->FlushKeys();
        GameInstance->events->FlushMouse();
    }
    if (GameInstance && GameInstance->gamepads) GameInstance->gamepads->Flush();
    return 0;
}

int TGame::Run()
{
    while (RunFrame()) {
    }
    return 0;
}

bool TGame::RunFrame()
{
    if (!CurrentGameState) {
        if (!gameEnded_) {
            gameEnded_ = true;
            OnGameEnd();
        }
        return false;
    }
    gameEnded_ = false;
    // However the frame ends (a fatal error too), the clock runs again afterwards.
    struct FrameClock {
        ~FrameClock() { GameClock::EndFrame(); }
    } frameClock;

    if (gamepads) gamepads->PollFrame();
    // Updates of the match and draws of the screen go one to one, except in a replay,
    // which keeps to the times it recorded: none in a frame, or several.
    std::shared_ptr<TGameState> stepped = CurrentGameState;
    const int updates = stepped->UpdatesThisFrame();
    if (updates <= 0) GameClock::BeginFrame();  // the drawing's one reading
    for (int i = 0; i < updates && CurrentGameState == stepped; ++i) {
        GameClock::BeginFrame();
        Framerate->SetSpeedFactor();
        // Each step reads the current state anew; a step that leaves none skips the rest.
        if (auto state = CurrentGameState) state->OnPreUpdate();
        if (auto state = CurrentGameState) state->UpdateObjects();
        if (auto state = CurrentGameState) state->OnUpdate();
        if (auto state = CurrentGameState) state->PostUpdateObjects();
        if (auto state = CurrentGameState) state->OnPostUpdate();
        if (stepped->pendingNextState) break;
    }

    // A stop signal ends the game as a closed window does.
    if (CurrentGameState && StopSignals::Received()) SetGameState("");

    if (device && CurrentGameState) {
        if (device->run() && !WindowWatch::WindowLost()) {
            RenderFrame();
            frameCap.Wait();
        } else {
            // The window was closed or destroyed: end as if the empty state had been requested.
            SetGameState("");
        }
    }

    if (auto state = CurrentGameState) {
        if (state->pendingNextState) {
            const std::string name = state->nextState;
            state->nextState.clear();
            state->pendingNextState = 0;
            SetGameState(name);
        }
    }

    if (!CurrentGameState) {
        gameEnded_ = true;
        OnGameEnd();
        return false;
    }
    return true;
}

void TGame::RenderFrame()
{
    auto state = CurrentGameState;
    if (!state) return;
    state->OnPreRender();
    if (screenRect) driver->setViewPort(*screenRect);
    driver->beginScene(bClsBackBuffer != 0, bClsZBuffer != 0,
                       clsColor.value_or(irr::video::SColor(255, 0, 0, 0)));
    state->Render();
    driver->endScene();
    if (auto current = CurrentGameState) current->OnPostRender();
}

int TGame::OnGameEnd()
{
    return 0;
}

int TGame::OnEvent(const irr::SEvent&)
{
    return 0;
}

int TGame::InitGraphics(int width, int height, int bits, int driverType)
{
    ReleaseDevice();
    if (!events) events = TGameEventReceiver::createReceiver();
    graphicsBits = bits;
    graphicsDriver = driverType;

    irr::SIrrlichtCreationParameters parameters;
    parameters.AntiAlias = true;
    parameters.DriverType = static_cast<irr::video::E_DRIVER_TYPE>(driverType);
    parameters.WindowSize = irr::core::dimension2d<irr::u32>(width, height);
    parameters.Bits = static_cast<irr::u8>(bits);
    parameters.EventReceiver = events.get();
    parameters.Fullscreen = fullscreen;
    parameters.Vsync = vsync;

    const bool x11 = driverType != irr::video::EDT_NULL;
    const int signalBefore = StopSignals::Received();
    if (x11) WindowWatch::BeginDeviceCreation();
    device = irr::createDeviceEx(parameters);
    // A stop signal can cut the display's opening short; the game still needs its window
    // to end in good order (and to save what the player changed), so it tries once more.
    if (!device && !signalBefore && StopSignals::Received()) device = irr::createDeviceEx(parameters);
    lastXError.clear();
    if (x11) {
        void* display = device ? device->getVideoDriver()->getExposedVideoData().OpenGLLinux.X11Display : nullptr;
        lastXError = WindowWatch::EndDeviceCreation(display);
        // A context made with X errors is not one to play in: the mode is refused.
        if (device && !lastXError.empty()) ReleaseDevice();
    }
    if (!device) {
        driver = nullptr;
        screenRect.reset();
        clsColor.reset();
        return 0;
    }
    driver = device->getVideoDriver();
    const irr::core::dimension2d<irr::u32> size = driver->getScreenSize();
    screenRect = irr::core::recti(0, 0, static_cast<int>(size.Width), static_cast<int>(size.Height));
    SetClsColor(std::nullopt);
    SetAmbientLight(127, 127, 127);
    if (CurrentGameState) {
        CurrentGameState->smgr = device->getSceneManager();
        CurrentGameState->guienv = device->getGUIEnvironment();
    }
    return 1;
}

int TGame::ReopenGraphics(int width, int height)
{
    ClearEngineResources();
    for (const auto& key : MapKeysToArray(GameStates)) GameStates.Get(key)->ClearEngineResources();
    return InitGraphics(width, height, graphicsBits, graphicsDriver);
}

int TGame::SetClsColor(std::optional<irr::video::SColor> color)
{
    clsColor = color.value_or(irr::video::SColor(255, 0, 0, 0));
    return 0;
}

int TGame::SetClsMode(int clearBackBuffer, int clearZBuffer)
{
    bClsBackBuffer = clearBackBuffer;
    bClsZBuffer = clearZBuffer;
    return 0;
}

int TGame::SetAmbientLight(int red, int green, int blue)
{
    driver->setAmbientLight(irr::video::SColorf(red / 255.0f, green / 255.0f, blue / 255.0f, 0.0f));
    return 0;
}
