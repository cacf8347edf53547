// The short trail behind a flying shell: a camera-facing ribbon through the shell's last
// few places, in its tank's color, fading out toward its tail. A child of the shell's node,
// it goes with the shell.
#pragma once

#include <irrlicht.h>

#include <array>

class TShellTrail : public irr::scene::ISceneNode {
public:
    static constexpr size_t kPoints = 9;     // places kept, one per frame the shell moved
    static constexpr float kWidth = 0.09f;   // scene units, at least kMinPixels on screen
    static constexpr float kMinPixels = 2.0f;

    TShellTrail(irr::scene::ISceneNode* shell, irr::scene::ISceneManager* smgr, irr::video::SColor color);

    // The ribbon as `camera` sees it in `viewport`: two vertices a place, newest first;
    // gives how many it filled (none under two places).
    using Vertices = std::array<irr::video::S3DVertex, 2 * kPoints>;
    size_t Ribbon(irr::scene::ICameraSceneNode* camera, const irr::core::recti& viewport, Vertices& out) const;

    void OnAnimate(irr::u32 timeMs) override;
    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }
    irr::u32 getMaterialCount() const override { return 1; }
    irr::video::SMaterial& getMaterial(irr::u32) override { return material_; }

private:
    irr::video::SColor color_;
    // The last places, newest first, kept in place: a shell's trail allocates nothing.
    std::array<irr::core::vector3df, kPoints> points_;
    size_t count_ = 0;
    irr::video::SMaterial material_;
    irr::core::aabbox3d<irr::f32> box_;
};
