// Drives a tank from a remote player's input states, as the keyboard controller does from
// keys: the host's tank of the joiner, and the joiner's own predicted tank.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/control/TankController.h"
#include "net/WireFormat.h"

class TNetworkTankController : public TTankController {
    VEXMOOR_CLASS(TNetworkTankController, TTankController)

public:
    static std::shared_ptr<TNetworkTankController> Create(const std::string& targetKey);

    // Takes the states of an input packet (newest first, repeats of earlier packets among
    // them); only states newer than the last taken count. A press of fire in any of them
    // fires once.
    virtual int TakeInputs(const std::vector<Wire::InputState>& states);
    int OnUpdate() override;

    uint32_t lastSequence = 0;  // the newest state taken (0: none yet)
    uint8_t buttons = 0;        // its buttons
    int fireWaiting = 0;        // a press of fire not yet turned into a shot
};
