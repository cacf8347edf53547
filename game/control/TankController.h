// Controllers read the input receiver once per frame and drive their tank through the
// tank's own operations; the tank never knows who drives it.
#pragma once

#include <irrlicht.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "framework/objects/MovableGameObjectController.h"

class TTank;

// Marks controllers of tanks.
class TTankController : public TMovableGameObjectController {
    VEXMOOR_CLASS(TTankController, TMovableGameObjectController)

protected:
    // The driven tank, or null when the target is missing or not a tank.
    std::shared_ptr<TTank> Tank();
    // Lets a moving tank coast to a halt, calling Stop once.
    static void Coast(TTank& tank);

private:
    TObjectLookup<TTank> tank_;
};

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

// Drives a tank from the cursor's offset to a reference point: left and right turn,
// up drives, the left button fires on release, the right button re-centers.
class TMouseTankController : public TTankController {
    VEXMOOR_CLASS(TMouseTankController, TTankController)

public:
    static std::shared_ptr<TMouseTankController> Create(const std::string& targetKey);
    virtual int CenterMouse();
    int OnUpdate() override;

    std::optional<irr::core::vector2di> start;
    int threshold = 50;
};
