// A burst of particles where a shell struck a tank, in the hit tank's color: the engine's
// particle system, emitting for a moment and gone a second later.
#pragma once

#include <irrlicht.h>

namespace Explosion {

constexpr irr::u32 kEmitMs = 120;   // how long new particles come out
constexpr irr::u32 kLifeMs = 1000;  // when the node leaves the scene

irr::scene::IParticleSystemSceneNode* Start(irr::scene::ISceneManager* smgr, const irr::core::vector3df& where,
                                            irr::video::SColor color);

}  // namespace Explosion
