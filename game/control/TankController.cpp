#include "game/control/TankController.h"

#include "framework/Game.h"
#include "framework/GameEventReceiver.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"

TGameEventReceiver* TTankController::Receiver()
{
    return TGame::GameInstance ? TGame::GameInstance->events.get() : nullptr;
}

void TTankController::Coast(TTank& tank)
{
    if (!tank.IsStopping() && !tank.IsStopped()) tank.Stop();
}

std::shared_ptr<TTank> TTankController::Tank()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTank>(target_key, tank_) : nullptr;
}
