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

std::optional<TDriveCommand> TTankController::TakeDriven()
{
    std::optional<TDriveCommand> taken;
    taken.swap(driven_);
    return taken;
}

void TTankController::Drive(TTank& tank, const TDriveCommand& command, TGameState* state)
{
    driven_ = command;
    tank.StopTurn();  // turning lasts only while the command holds it
    if (tank.IsDisabled()) {
        Coast(tank);
        return;
    }
    if (command.fire) tank.Shoot(state);
    if (command.left) tank.TurnLeft();
    // Set last, so with both turns held the right turn wins.
    if (command.right) tank.TurnRight();
    if (command.drive) {
        // A rolling tank is not restarted: it halts first, then starts again.
        if (!tank.IsMoving()) tank.Start();
    } else {
        Coast(tank);
    }
}

std::shared_ptr<TTank> TTankController::Tank()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTank>(target_key, tank_) : nullptr;
}
