// What the arena draws beside its models so that a battlefield reads at a glance: tank
// outlines and a sky where the colors call for them, the shells' glow and trail, muzzle
// flashes, explosions and the blur of a death spin. The match calls these hooks; none of
// them changes the scene's collision geometry, the game objects or the order of a frame.
#pragma once

#include <irrlicht.h>

class TVexmoorArenaScreen;
class TTank;

namespace BattlefieldEffects {

// After the tanks were (re)loaded or the scheme changed: outlines and sky colors.
void OnColorsChanged(TVexmoorArenaScreen& arena);

}  // namespace BattlefieldEffects
