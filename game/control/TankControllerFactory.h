// Builds the controller of a tank slot from its set-up: the keyboard with the slot's keys,
// the computer at its difficulty, or a gamepad (the keys while that pad is not plugged in). The arena asks once per slot when a match starts.
#pragma once

#include <memory>
#include <string>

#include "game/settings/Settings.h"

class TTankController;

struct TSlotController {
    std::string key;  // the object key the arena keeps it under
    std::shared_ptr<TTankController> controller;
};

// slot 0 is player 1, slot 1 player 2; tankKey the tank it drives.
TSlotController MakeSlotController(int slot, const TPlayerSetup& setup, const std::string& tankKey);
