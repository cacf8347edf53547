#include "game/TankControllerFactory.h"

#include "game/ComputerTankController.h"
#include "game/TankControllers.h"

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
    case TPlayerStatus::Human:
    case TPlayerStatus::Gamepad1:  // no pad controller yet: the slot's keys
    case TPlayerStatus::Gamepad2:
        break;
    }
    const TKeyBindings& keys = setup.keys;
    return {player + "_key_controller",
            TKeyboardTankController::Create(tankKey, keys.forward, keys.left, keys.right, keys.fire)};
}
