// Drives a tank from four keys: forward, left, right and fire (fire on the press).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "game/control/TankController.h"

class TKeyboardTankController : public TTankController {
    VEXMOOR_CLASS(TKeyboardTankController, TTankController)

public:
    static std::shared_ptr<TKeyboardTankController> Create(const std::string& targetKey, int forward, int left,
                                                           int right, int fire);
    virtual int SetKeys(int forward, int left, int right, int fire);
    int OnUpdate() override;

    // Engine key codes: drive forward, turn left, turn right, fire.
    std::array<int, 4> keys{};
};
