// A pad made with SDL's virtual joystick driver: to the game it is a real SDL game
// controller with the standard layout, plugged in, pressed and pulled out by the test.
// SDL's game controller subsystem must be running (the game's TGamepads starts it).
#pragma once

#include <SDL2/SDL.h>

#include <algorithm>

class VirtualPad {
public:
    VirtualPad() { Attach(); }
    ~VirtualPad() { Detach(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool Attached() const { return joystick_ != nullptr; }
    void Attach()
    {
        if (joystick_) return;
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Vexmoor test pad";
        desc.userdata = this;
        desc.Rumble = [](void* self, Uint16 low, Uint16 high) {
            auto* pad = static_cast<VirtualPad*>(self);
            pad->rumbles += 1;
            pad->lastRumble = std::max(low, high);
            return 0;
        };
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index < 0) return;
        joystick_ = SDL_JoystickOpen(index);
        // Triggers rest at the bottom of their range.
        for (int trigger : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT})
            SDL_JoystickSetVirtualAxis(joystick_, trigger, SDL_JOYSTICK_AXIS_MIN);
    }
    void Detach()
    {
        if (!joystick_) return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }

    void Button(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(joystick_, button, down); }
    // A stick from -1 to 1, a trigger from 0 to 1.
    void Axis(SDL_GameControllerAxis axis, float value)
    {
        const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
        const float raw = trigger ? -32768.0f + value * 65535.0f : value * 32767.0f;
        SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(std::clamp(raw, -32768.0f, 32767.0f)));
    }

    int rumbles = 0;
    Uint16 lastRumble = 0;

private:
    SDL_Joystick* joystick_ = nullptr;
};
