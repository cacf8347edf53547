// Drives a tank from the cursor's offset to a reference point: left and right turn,
// up drives, the left button fires on release, the right button re-centers.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>

#include "game/control/TankController.h"

class TMouseTankController : public TTankController {
    VEXMOOR_CLASS(TMouseTankController, TTankController)

public:
    static std::shared_ptr<TMouseTankController> Create(const std::string& targetKey);
    virtual int CenterMouse();
    int OnUpdate() override;

    std::optional<irr::core::vector2di> start;
    int threshold = 50;
};
