#include "game/control/TankControllerFactory.h"

#include "framework/Game.h"
#include "framework/Gamepads.h"
#include "game/control/ComputerTankController.h"
#include "game/control/PadTankController.h"
#include "game/control/KeyboardTankController.h"

TSlotController MakeSlotController(int slot, const TPlayerSetup& setup, const std::string& tankKey)
{
    const std::string player = "player" + std::to_string(slot + 1);
    switch (setup.status) {
    case TPlayerStatus::ComputerEasy:
        return {player + "_computer_controller", TComputerTankController::Create(tankKey, ai::TDifficulty::Easy())};
    case TPlayerStatus::ComputerNormal:
        return {player + "_computer_controller", TComputerTankController::Create(tankKey, ai::TDifficulty::Normal())};
    case TPlayerStatus::ComputerHard:
        return {player + "_computer_controller", TComputerTankController::Create(tankKey, ai::TDifficulty::Hard())};
    case TPlayerStatus::Gamepad1:
    case TPlayerStatus::Gamepad2:
    case TPlayerStatus::Gamepad3:
    case TPlayerStatus::Gamepad4: {
        const int pad = static_cast<int>(setup.status) - static_cast<int>(TPlayerStatus::Gamepad1);
        TGamepads* pads = TGame::GameInstance ? TGame::GameInstance->gamepads.get() : nullptr;
        if (pads && pads->IsConnected(pad)) return {player + "_pad_controller", TPadTankController::Create(tankKey, pad)};
        break;  // the pad is not plugged in: the slot's keys
    }
    case TPlayerStatus::Human:
    case TPlayerStatus::Off:      // the match makes no tank for such a slot
    case TPlayerStatus::Network:  // the network match puts its own controller here
        break;
    }
    const TKeyBindings& keys = setup.keys;
    return {player + "_key_controller",
            TKeyboardTankController::Create(tankKey, keys.forward, keys.left, keys.right, keys.fire)};
}
