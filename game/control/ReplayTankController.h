// Drives a tank from a recording: each frame the command the match's own controller gave
// in the same frame (keys, pad, computer or network alike), applied through Drive as that
// controller applied it, so the tank does again what it did.
#pragma once

#include <memory>
#include <string>

#include "game/control/TankController.h"

class TReplayTankController : public TTankController {
    VEXMOOR_CLASS(TReplayTankController, TTankController)

public:
    static std::shared_ptr<TReplayTankController> Create(const std::string& targetKey);
    int OnUpdate() override;

    // This frame's recorded command, set before the objects update.
    TDriveCommand next;
};
