// The scheme color each player's tank wears: "Tank2" for player 1, "Tank1" for player 2,
// "Tank3" and "Tank4" for players 3 and 4. A scheme without the last two gives players 3
// and 4 the color of their team's first player, so that every scheme can be played.
#pragma once

#include <irrlicht.h>

#include <string>

class TVexmoorGameState;

namespace TankColors {

// The color key of a slot's tank (slot 0 is player 1), whatever the scheme holds.
const std::string& KeyOfSlot(int slot);
// The key the current scheme has for that slot: its own, else its team's first player's.
const std::string& SchemeKeyOfSlot(TVexmoorGameState& state, int slot);
irr::video::SColor OfSlot(TVexmoorGameState& state, int slot);

}  // namespace TankColors
