// A round, camera-facing glow: a solid bright core and a ring fading to transparent, drawn
// in vertex colors and never smaller than a few pixels, whatever the camera. Shells carry
// one as their core; muzzle flashes are short-lived ones that grow and fade.
#pragma once

#include <irrlicht.h>

#include "game/effects/EffectSwitches.h"

class TGlowSprite : public irr::scene::ISceneNode {
public:
    struct Look {
        float radius;               // of the core, in scene units
        float minPixels;            // the core's radius on screen is never less
        irr::video::SColor core;    // opaque
        irr::video::SColor rim;     // color of the ring round the core, fading out
        float ringScale = 2.2f;     // outer radius of the ring over the core's
        float maxPixels = 1e9f;     // the core's radius on screen is never more (a flash
                                    // right before a tank's camera)
        float towardCamera = 0.0f;  // drawn this far in front of the node, toward the camera
        irr::u32 lifeMs = 0;        // 0: for as long as the node lives; else grows and fades, then goes
    };

    TGlowSprite(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* smgr, const Look& look);

    // The core's radius in pixels for a point `at` seen by `camera` in `viewport`.
    static float PixelsPerUnit(irr::scene::ICameraSceneNode* camera, const irr::core::vector3df& at,
                               const irr::core::recti& viewport);

    void OnAnimate(irr::u32 timeMs) override;
    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }
    irr::u32 getMaterialCount() const override { return 1; }
    irr::video::SMaterial& getMaterial(irr::u32) override { return material_; }

    const Look look;

private:
    irr::video::SMaterial material_;
    irr::core::aabbox3d<irr::f32> box_;
    irr::u32 born_ = 0;
    bool started_ = false;
    float age_ = 0.0f;  // 0 to 1 over lifeMs
};

// The material of the game's translucent vertex-colored effects: unlit, no depth writes.
irr::video::SMaterial EffectMaterial();
