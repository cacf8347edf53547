#include "game/control/MouseTankController.h"

#include "framework/GameEventReceiver.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TMouseTankController> TMouseTankController::Create(const std::string& targetKey)
{
    auto controller = std::make_shared<TMouseTankController>();
    controller->SetTarget(targetKey);
    return controller;
}

int TMouseTankController::CenterMouse()
{
    if (TGameEventReceiver* events = Receiver()) start = irr::core::vector2di(events->MouseX(), events->MouseY());
    return 0;
}

int TMouseTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    TGameEventReceiver* events = Receiver();
    auto tank = Tank();
    if (!state || !events || !tank) return 0;

    if (!start || events->IsMouseButtonDownUp(1, 1)) CenterMouse();
    const int mx = events->MouseX();
    const int my = events->MouseY();
    tank->StopTurn();
    // The mouse fires on release, the keyboard on press.
    if (!tank->IsDisabled() && events->IsMouseButtonDownUp(0, 1)) tank->Shoot(state.get());
    if (!tank->IsDisabled() && start->X - mx > threshold) tank->TurnLeft();
    if (!tank->IsDisabled() && mx - start->X > threshold) tank->TurnRight();
    // Screen y grows downward: the cursor above the reference drives forward.
    if (!tank->IsDisabled() && start->Y - my > threshold) {
        if (!tank->IsMoving()) tank->Start();
    } else {
        Coast(*tank);
    }
    return 0;
}
