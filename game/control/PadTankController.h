// Drives a tank from a gamepad: the left stick or the d-pad turns, A or the right trigger
// drives, B or the right shoulder fires. The pad's buttons come from the game's gamepad layer.
#pragma once

#include <memory>
#include <string>

#include "game/control/TankController.h"

class TGamepads;

// A stick or trigger read as on or off: on past kOn, off again only below kOff, so a
// stick resting near the threshold does not flicker.
struct TAxisSwitch {
    static constexpr float kOn = 0.35f;
    static constexpr float kOff = 0.25f;
    // Takes the axis value (its sign ignored); returns whether the switch is on.
    bool Update(float value);
    bool on = false;
};

class TPadTankController : public TTankController {
    VEXMOOR_CLASS(TPadTankController, TTankController)

public:
    // pad: 0 for the first connected pad, 1 for the second.
    static std::shared_ptr<TPadTankController> Create(const std::string& targetKey, int pad);
    int OnUpdate() override;
    // Whether the pad is plugged in now (0 without gamepad support).
    virtual int IsPadConnected();

    int pad = 0;
    TAxisSwitch left;
    TAxisSwitch right;
    TAxisSwitch trigger;

private:
    TGamepads* Pads();
    // A short rumble when the other tank dies (this one's shell hit it), a long one when this tank dies.
    void RumbleOnDeaths(TTank& tank);
    bool dying_ = false;
    bool otherDying_ = false;
};
