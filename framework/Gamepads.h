// Gamepads through SDL2's game controller API (input only: the engine keeps its window).
// Polled once a frame, it turns SDL's events into latched per-pad state of the kind the
// input receiver keeps for keys: down now, pressed since the last query, how often.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct _SDL_GameController;

class TGamepads {
public:
    // Pads in the order they were connected; a pad plugged in takes the first free place,
    // so a pad pulled out and plugged back in is the same pad again.
    static constexpr int kPads = 4;
    // The standard layout's buttons and axes, numbered as SDL numbers them.
    enum Button {
        A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
        DpadUp, DpadDown, DpadLeft, DpadRight, kButtons
    };
    enum Axis { LeftX, LeftY, RightX, RightY, TriggerLeft, TriggerRight, kAxes };

    // Starts SDL's game controller subsystem. Null, after one line on stderr, when SDL
    // cannot start: the game is then played from the keyboard only.
    static std::shared_ptr<TGamepads> Open();
    // What Open starts SDL with (SDL_InitSubSystem); replaceable so that a failing start can be tried.
    static int (*StartSdl)(uint32_t flags);

    ~TGamepads();
    TGamepads(const TGamepads&) = delete;
    TGamepads& operator=(const TGamepads&) = delete;

    // Takes SDL's pending events: pads connected and removed, buttons, axes.
    int Poll();
    // The game's poll, once a frame: every frame while a pad is connected; with none, only
    // every kIdlePollFrames-th frame (a pad plugged in is seen within half a second at 60
    // frames a second), since SDL's event pump, a system call on udev's socket, cost a
    // hundredth of the OpenGL frame even at every eighth frame.
    static constexpr int kIdlePollFrames = 30;
    int PollFrame();
    // Forgets every button, press and axis, as the receiver's FlushKeys does for keys.
    int Flush();

    int IsConnected(int pad);
    int ConnectedCount();
    int IsButtonDown(int pad, int button);
    // 1 if the button went down since the last resetting query.
    int IsButtonUpDown(int pad, int button, int reset);
    // Presses of the button since the count was last reset.
    int ButtonHitCnt(int pad, int button, int reset);
    // Presses of the button on any pad since the last flush; never reset by a query.
    int AnyPadPresses(int button);
    // Sticks from -1 to 1 (down and right positive), triggers from 0 to 1.
    float AxisValue(int pad, int axis);
    // Rumbles for ms milliseconds at strength 0 to 1; 0 when the pad has no rumble.
    int Rumble(int pad, float strength, int ms);
    std::string Name(int pad);

private:
    TGamepads() = default;
    int idleFrames_ = kIdlePollFrames - 1;  // frames since the last poll without a pad; the first frame polls
    struct Pad {
        _SDL_GameController* controller = nullptr;
        int instance = -1;
        std::array<int, kButtons> down{};
        std::array<int, kButtons> upDown{};
        std::array<int, kButtons> count{};
        std::array<float, kAxes> axes{};
    };
    void Connect(int deviceIndex);
    void Disconnect(int instance);
    Pad* Find(int instance);
    bool Valid(int pad) const { return pad >= 0 && pad < kPads; }

    std::array<Pad, kPads> pads_{};
    std::array<int, kButtons> anyPresses_{};
};
