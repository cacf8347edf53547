#include "game/control/TankController.h"

#include "framework/GameEventReceiver.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"
#include "framework/Game.h"

namespace {

TGameEventReceiver* Receiver()
{
    return TGame::GameInstance ? TGame::GameInstance->events.get() : nullptr;
}

}  // namespace

void TTankController::Coast(TTank& tank)
{
    if (!tank.IsStopping() && !tank.IsStopped()) tank.Stop();
}

std::shared_ptr<TTank> TTankController::Tank()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTank>(target_key, tank_) : nullptr;
}

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
