// Key and mouse events as the window hands them to the engine, made by hand for the
// tests and the benchmarks that drive the game through its input.
#pragma once

#include <irrlicht.h>

#include <cstring>

inline irr::SEvent KeyEvent(irr::EKEY_CODE key, bool down, bool shift = false, bool control = false)
{
    irr::SEvent event;
    std::memset(&event, 0, sizeof event);  // every field a real event would carry
    event.EventType = irr::EET_KEY_INPUT_EVENT;
    event.KeyInput.Key = key;
    event.KeyInput.PressedDown = down;
    event.KeyInput.Shift = shift;
    event.KeyInput.Control = control;
    return event;
}

inline irr::SEvent MouseEvent(irr::EMOUSE_INPUT_EVENT kind, int x = 0, int y = 0, float wheel = 0.0f)
{
    irr::SEvent event;
    std::memset(&event, 0, sizeof event);
    event.EventType = irr::EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = kind;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    event.MouseInput.Wheel = wheel;
    return event;
}
