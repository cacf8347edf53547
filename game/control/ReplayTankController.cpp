#include "game/control/ReplayTankController.h"

#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TReplayTankController> TReplayTankController::Create(const std::string& targetKey)
{
    auto controller = std::make_shared<TReplayTankController>();
    controller->SetTarget(targetKey);
    return controller;
}

int TReplayTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    auto tank = Tank();
    if (!state || !tank) return 0;
    Drive(*tank, next, state.get());
    return 0;
}
