// Shows each tank's outline child, in a contrasting grey, where the scheme's colors make a
// tank hard to tell from the floor or from another tank.
#pragma once

#include <string>
#include <vector>

#include "game/effects/ColorContrast.h"

class TArenaWorld;

namespace TankOutlines {

// How much larger than its tank a shown outline is: about two pixels of rim from the
// overhead cameras.
constexpr float kShownScale = 1.12f;

// The keys of the tanks playing, in key order ("tank1", "tank2", ...): the order of the
// outlines in Current's plan.
std::vector<std::string> PlayingTanks(TArenaWorld& arena);
// The plan for the playing tanks in the arena's current scheme on its current floor (the
// clear color).
TOutlinePlan Current(TArenaWorld& arena);
// PlanOutlines, remembered until one of the colors changes.
TOutlinePlan PlanFor(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor);
TOutlinePlan PlanFor(const std::vector<irr::video::SColor>& tanks, irr::video::SColor floor);
// The floor of the arena: the ground is the clear color.
irr::video::SColor Floor(TArenaWorld& arena);

// Colors, enlarges and shows (or keeps hidden) the outline of every playing tank by Current().
void Apply(TArenaWorld& arena);

}  // namespace TankOutlines
