#include "game/control/PadTankController.h"

#include <cmath>

#include "framework/Game.h"
#include "framework/GameState.h"
#include "framework/Gamepads.h"
#include "game/tank/Tank.h"

namespace {

bool Dying(TGameObject& tank)
{
    return tank.GetAnimator("die_anim") != nullptr;
}

}  // namespace

bool TAxisSwitch::Update(float value)
{
    const float magnitude = std::fabs(value);
    on = on ? magnitude >= kOff : magnitude >= kOn;
    return on;
}

std::shared_ptr<TPadTankController> TPadTankController::Create(const std::string& targetKey, int pad)
{
    auto controller = std::make_shared<TPadTankController>();
    controller->pad = pad;
    controller->SetTarget(targetKey);
    return controller;
}

TGamepads* TPadTankController::Pads()
{
    return TGame::GameInstance ? TGame::GameInstance->gamepads.get() : nullptr;
}

int TPadTankController::IsPadConnected()
{
    TGamepads* pads = Pads();
    return pads && pads->IsConnected(pad) ? 1 : 0;
}

int TPadTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    auto tank = Tank();
    if (!state || !tank) return 0;
    TGamepads* pads = Pads();
    if (!pads || !pads->IsConnected(pad)) {
        // Nothing holds the controls of a pad that is gone.
        left = right = trigger = TAxisSwitch{};
        Drive(*tank, TDriveCommand{}, state.get());
        return 0;
    }
    RumbleOnDeaths(*tank);

    const float stick = pads->AxisValue(pad, TGamepads::LeftX);
    const bool stickLeft = left.Update(stick < 0.0f ? stick : 0.0f);
    const bool stickRight = right.Update(stick > 0.0f ? stick : 0.0f);
    const bool driving = trigger.Update(pads->AxisValue(pad, TGamepads::TriggerRight)) ||
                         pads->IsButtonDown(pad, TGamepads::A);
    // Both fire buttons are read, so a press of either is never left for later.
    const int fireB = pads->IsButtonUpDown(pad, TGamepads::B, 1);
    const int fireShoulder = pads->IsButtonUpDown(pad, TGamepads::RightShoulder, 1);
    TDriveCommand command;
    command.fire = fireB || fireShoulder;
    // The turn lasts only while the stick or the d-pad holds it.
    command.left = stickLeft || pads->IsButtonDown(pad, TGamepads::DpadLeft);
    command.right = stickRight || pads->IsButtonDown(pad, TGamepads::DpadRight);
    command.drive = driving;
    Drive(*tank, command, state.get());
    return 0;
}

void TPadTankController::RumbleOnDeaths(TTank& tank)
{
    TGamepads* pads = Pads();
    auto state = GetState();
    const bool dying = Dying(tank);
    bool otherDying = false;
    for (const auto& object : state->GetGameObjects("TTank"))
        if (object && object.get() != &tank && Dying(*object)) otherDying = true;
    if (dying && !dying_) pads->Rumble(pad, 1.0f, 400);
    else if (otherDying && !otherDying_) pads->Rumble(pad, 0.5f, 150);
    dying_ = dying;
    otherDying_ = otherDying;
}
