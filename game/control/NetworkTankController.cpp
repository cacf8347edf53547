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

    tank->StopTurn();
    const bool free = !tank->IsDisabled();
    // As with a key, a press made while the tank was disabled fires once it is free again.
    if (free && fireWaiting) {
        tank->Shoot(state.get());
        fireWaiting = 0;
    }
    if (free && (buttons & Wire::kButtonLeft)) tank->TurnLeft();
    if (free && (buttons & Wire::kButtonRight)) tank->TurnRight();
    if (free && (buttons & Wire::kButtonForward)) {
        if (!tank->IsMoving()) tank->Start();
    } else if (!tank->IsStopping() && !tank->IsStopped()) {
        tank->Stop();
    }
    return 0;
}
