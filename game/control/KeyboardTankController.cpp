#include "game/control/KeyboardTankController.h"

#include "framework/GameEventReceiver.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TKeyboardTankController> TKeyboardTankController::Create(const std::string& targetKey, int forward,
                                                                         int left, int right, int fire)
{
    auto controller = std::make_shared<TKeyboardTankController>();
    controller->SetKeys(forward, left, right, fire);
    controller->SetTarget(targetKey);
    return controller;
}

int TKeyboardTankController::SetKeys(int forward, int left, int right, int fire)
{
    keys = {forward, left, right, fire};
    return 0;
}

int TKeyboardTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    TGameEventReceiver* events = Receiver();
    auto tank = Tank();
    if (!state || !events || !tank) return 0;

    TDriveCommand command;
    // A disabled tank leaves the keys unread, so a press of fire waits until it is free.
    if (!tank->IsDisabled()) {
        command.fire = events->IsKeyUpDown(keys[3], 1) != 0;
        command.left = events->IsKeyDown(keys[1], 0, 0, 0) != 0;
        command.right = events->IsKeyDown(keys[2], 0, 0, 0) != 0;
        command.drive = events->IsKeyDown(keys[0], 0, 0, 0) != 0;
    }
    Drive(*tank, command, state.get());
    return 0;
}
