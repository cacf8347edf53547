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
    TDriveCommand command;
    if (!tank->IsDisabled()) {
        // The mouse fires on release, the keyboard on press.
        command.fire = events->IsMouseButtonDownUp(0, 1) != 0;
        command.left = start->X - mx > threshold;
        command.right = mx - start->X > threshold;
        // Screen y grows downward: the cursor above the reference drives forward.
        command.drive = start->Y - my > threshold;
    }
    Drive(*tank, command, state.get());
    return 0;
}
