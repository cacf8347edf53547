// A sky for the cameras that look along the ground (the tanks' own): a dome round the
// camera from the horizon up, shaded from a horizon color to a zenith color, behind
// everything else. It is drawn first, in the engine's sky pass, without the depth test:
// the solid models then cover what they stand in front of and the translucent effects lie
// over it. (Drawn after the models and tested against their depth it cost more: every
// pixel above the horizon paid the test as well as the shading.) The overhead cameras never
// see above the horizon, so they never see it.
#pragma once

#include <irrlicht.h>

class TSkyNode : public irr::scene::ISceneNode {
public:
    static const irr::scene::ESCENE_NODE_TYPE kType;

    TSkyNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* smgr);

    // Shades the dome in a tone of the floor's color that stands out from the floor and walls.
    void SetColors(irr::video::SColor floor, irr::video::SColor walls);
    irr::video::SColor Horizon() const { return horizon_; }

    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }
    irr::u32 getMaterialCount() const override { return 1; }
    irr::video::SMaterial& getMaterial(irr::u32) override { return material_; }
    irr::scene::ESCENE_NODE_TYPE getType() const override { return kType; }

private:
    void Shade();

    irr::video::SColor horizon_, zenith_;
    irr::core::array<irr::video::S3DVertex> vertices_;
    irr::core::array<irr::u16> indices_;
    irr::video::SMaterial material_;
    irr::core::aabbox3d<irr::f32> box_;
};
