#include "game/control/NetworkTankController.h"

#include <algorithm>

#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TNetworkTankController> TNetworkTankController::Create(const std::string& targetKey)
{
    auto controller = std::make_shared<TNetworkTankController>();
    controller->SetTarget(targetKey);
    return controller;
}

int TNetworkTankController::TakeInputs(const std::vector<Wire::InputState>& states)
{
    // Oldest first, so that a press between two packets is seen as the edge it was.
    for (auto it = states.rbegin(); it != states.rend(); ++it) {
        if (lastSequence != 0 && static_cast<int32_t>(it->sequence - lastSequence) <= 0) continue;
        if ((it->buttons & Wire::kButtonFire) && !(buttons & Wire::kButtonFire)) fireWaiting = 1;
        buttons = it->buttons;
        lastSequence = it->sequence;
    }
    return 0;
}

int TNetworkTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    auto tank = Tank();
    if (!state || !tank) return 0;

    TDriveCommand command;
    command.drive = (buttons & Wire::kButtonForward) != 0;
    command.left = (buttons & Wire::kButtonLeft) != 0;
    command.right = (buttons & Wire::kButtonRight) != 0;
    // As with a key, a press made while the tank was disabled fires once it is free again.
    if (!tank->IsDisabled() && fireWaiting) {
        command.fire = true;
        fireWaiting = 0;
    }
    Drive(*tank, command, state.get());
    return 0;
}
