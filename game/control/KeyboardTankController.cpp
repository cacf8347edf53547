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

    tank->StopTurn();  // turning lasts only while a key holds it
    if (!tank->IsDisabled() && events->IsKeyUpDown(keys[3], 1)) tank->Shoot(state.get());
    if (!tank->IsDisabled() && events->IsKeyDown(keys[1], 0, 0, 0)) tank->TurnLeft();
    // Set last, so with both turn keys held the right turn wins.
    if (!tank->IsDisabled() && events->IsKeyDown(keys[2], 0, 0, 0)) tank->TurnRight();
    if (!tank->IsDisabled() && events->IsKeyDown(keys[0], 0, 0, 0)) {
        // A rolling tank is not restarted: it halts first, then starts again.
        if (!tank->IsMoving()) tank->Start();
    } else {
        Coast(*tank);
    }
    return 0;
}
