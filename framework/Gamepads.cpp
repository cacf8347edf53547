#include "framework/Gamepads.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <iostream>

namespace {

constexpr uint32_t kSubsystem = SDL_INIT_GAMECONTROLLER;

int DefaultStart(uint32_t flags)
{
    return SDL_InitSubSystem(flags);
}

float Normalized(int axis, int value)
{
    // Triggers run 0 to 32767, sticks -32768 to 32767.
    if (axis == TGamepads::TriggerLeft || axis == TGamepads::TriggerRight) return std::max(0, value) / 32767.0f;
    return std::max(-32767, value) / 32767.0f;
}

}  // namespace

int (*TGamepads::StartSdl)(uint32_t) = DefaultStart;

std::shared_ptr<TGamepads> TGamepads::Open()
{
    // Pads keep reporting while the engine's window, which SDL knows nothing of, has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Ctrl+C and SIGTERM stay the program's own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (StartSdl(kSubsystem) != 0) {
        std::cerr << "gamepads: SDL could not start its game controller support (" << SDL_GetError()
                  << "); playing from the keyboard only" << std::endl;
        return nullptr;
    }
    std::shared_ptr<TGamepads> pads(new TGamepads);
    // Pads already plugged in arrive as connection events at the first poll.
    return pads;
}

TGamepads::~TGamepads()
{
    for (Pad& pad : pads_)
        if (pad.controller) SDL_GameControllerClose(pad.controller);
    SDL_QuitSubSystem(kSubsystem);
}

int TGamepads::Poll()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED: Connect(event.cdevice.which); break;
        case SDL_CONTROLLERDEVICEREMOVED: Disconnect(event.cdevice.which); break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            Pad* pad = Find(event.cbutton.which);
            const int button = event.cbutton.button;
            if (!pad || button < 0 || button >= kButtons) break;
            const int down = event.type == SDL_CONTROLLERBUTTONDOWN ? 1 : 0;
            if (down && !pad->down[button]) {
                pad->upDown[button] = 1;
                pad->count[button] += 1;
                anyPresses_[button] += 1;
            }
            pad->down[button] = down;
            break;
        }
        case SDL_CONTROLLERAXISMOTION: {
            Pad* pad = Find(event.caxis.which);
            const int axis = event.caxis.axis;
            if (pad && axis >= 0 && axis < kAxes) pad->axes[axis] = Normalized(axis, event.caxis.value);
            break;
        }
        default: break;
        }
    }
    return 0;
}

int TGamepads::PollFrame()
{
    if (ConnectedCount() == 0 && ++idleFrames_ < kIdlePollFrames) return 0;
    idleFrames_ = 0;
    return Poll();
}

void TGamepads::Connect(int deviceIndex)
{
    const int instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (instance < 0 || Find(instance)) return;
    auto slot = std::find_if(pads_.begin(), pads_.end(), [](const Pad& pad) { return !pad.controller; });
    if (slot == pads_.end()) return;  // taken up when a place frees
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        std::cerr << "gamepads: cannot open pad " << deviceIndex << " (" << SDL_GetError() << ")" << std::endl;
        return;
    }
    *slot = Pad{};
    slot->controller = controller;
    slot->instance = instance;
}

void TGamepads::Disconnect(int instance)
{
    Pad* pad = Find(instance);
    if (!pad) return;
    SDL_GameControllerClose(pad->controller);
    *pad = Pad{};
    // A pad that found no free place takes this one.
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i) && !Find(SDL_JoystickGetDeviceInstanceID(i))) {
            Connect(i);
            break;
        }
}

TGamepads::Pad* TGamepads::Find(int instance)
{
    for (Pad& pad : pads_)
        if (pad.controller && pad.instance == instance) return &pad;
    return nullptr;
}

int TGamepads::Flush()
{
    for (Pad& pad : pads_) {
        pad.down.fill(0);
        pad.upDown.fill(0);
        pad.count.fill(0);
        pad.axes.fill(0.0f);
    }
    anyPresses_.fill(0);
    return 0;
}

int TGamepads::IsConnected(int pad)
{
    return Valid(pad) && pads_[pad].controller ? 1 : 0;
}

int TGamepads::ConnectedCount()
{
    return static_cast<int>(std::count_if(pads_.begin(), pads_.end(), [](const Pad& pad) { return pad.controller; }));
}

int TGamepads::IsButtonDown(int pad, int button)
{
    if (!Valid(pad) || button < 0 || button >= kButtons) return 0;
    return pads_[pad].down[button];
}

int TGamepads::IsButtonUpDown(int pad, int button, int reset)
{
    if (!Valid(pad) || button < 0 || button >= kButtons) return 0;
    const int value = pads_[pad].upDown[button];
    if (reset) pads_[pad].upDown[button] = 0;
    return value;
}

int TGamepads::ButtonHitCnt(int pad, int button, int reset)
{
    if (!Valid(pad) || button < 0 || button >= kButtons) return 0;
    const int value = pads_[pad].count[button];
    if (reset) pads_[pad].count[button] = 0;
    return value;
}

int TGamepads::AnyPadPresses(int button)
{
    return button >= 0 && button < kButtons ? anyPresses_[button] : 0;
}

float TGamepads::AxisValue(int pad, int axis)
{
    if (!Valid(pad) || axis < 0 || axis >= kAxes) return 0.0f;
    return pads_[pad].axes[axis];
}

int TGamepads::Rumble(int pad, float strength, int ms)
{
    if (!IsConnected(pad) || !SDL_GameControllerHasRumble(pads_[pad].controller)) return 0;
    const auto level = static_cast<Uint16>(std::clamp(strength, 0.0f, 1.0f) * 0xFFFF);
    return SDL_GameControllerRumble(pads_[pad].controller, level, level, static_cast<Uint32>(std::max(0, ms))) == 0
               ? 1
               : 0;
}

std::string TGamepads::Name(int pad)
{
    if (!IsConnected(pad)) return "";
    const char* name = SDL_GameControllerName(pads_[pad].controller);
    return name ? name : "";
}
