// What the arena draws beside its models so that a battlefield reads at a glance: tank
// outlines and a sky where the colors call for them, the shells' glow and trail, muzzle
// flashes, explosions and the blur of a death spin. The match calls these hooks; none of
// them changes the scene's collision geometry, the game objects or the order of a frame.
#pragma once

#include <irrlicht.h>

#include <memory>

class TArenaWorld;
class TTank;

namespace BattlefieldEffects {

// After the tanks were (re)loaded or the scheme changed: outlines and sky colors.
void OnColorsChanged(TArenaWorld& arena);

// A tank fired: a glowing core and a trail on the shell's node, a flash at the muzzle.
void OnShot(TArenaWorld& arena, TTank& tank, irr::scene::ISceneNode* shell, irr::scene::ISceneNode* muzzle);

// A shell struck `victim` at `where`: an explosion there and the blur of its death spin.
void OnHit(TArenaWorld& arena, const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where);

// What OnShot and OnColorsChanged add, on the engine's scene alone: a shell's core and
// trail and the muzzle's flash for a tank of `color`; the scene's one sky (made when
// missing), shaded for the floor and the walls.
void DecorateShot(irr::scene::ISceneManager* smgr, irr::video::SColor color, irr::scene::ISceneNode* shell,
                  irr::scene::ISceneNode* muzzle);
void ShadeSky(irr::scene::ISceneManager* smgr, irr::video::SColor floor, irr::video::SColor walls);

// The shell's core for a tank of `color`: a bright, opaque tone of it.
irr::video::SColor ShellCore(irr::video::SColor color);
constexpr float kShellCorePixels = 3.0f;  // the core's least radius on screen

}  // namespace BattlefieldEffects
