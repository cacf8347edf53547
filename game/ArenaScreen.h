// The match state "Arena" (being built; for now an empty screen).
#pragma once

#include "game/VexmoorGameState.h"

class TVexmoorArenaScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorArenaScreen, TVexmoorGameState)
};
