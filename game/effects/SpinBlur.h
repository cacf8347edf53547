// The death spin drawn as the eye would see it. The dying tank turns 100 degrees a frame
// (its motion is left exactly as it is); drawn only at those poses a spin that fast reads
// as a jitter, a wagon wheel turning slowly either way. Here the tank is drawn as it is and,
// fading behind it, at the poses it swept through since the last frame: the turn shows as
// one smooth, motion-blurred whirl.
#pragma once

#include <irrlicht.h>

#include <memory>

class TTank;

class TSpinBlur : public irr::scene::ISceneNode {
public:
    static constexpr int kGhosts = 5;       // poses drawn between two frames
    static constexpr irr::u32 kAlpha = 80;  // of each ghost

    // Follows `tank` while its death animator runs, then leaves the scene.
    TSpinBlur(irr::scene::ISceneManager* smgr, const std::shared_ptr<TTank>& tank);
    ~TSpinBlur() override;

    void OnAnimate(irr::u32 timeMs) override;
    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }
    irr::u32 getMaterialCount() const override { return 1; }
    irr::video::SMaterial& getMaterial(irr::u32) override { return material_; }

private:
    float SweptDegrees() const;

    std::weak_ptr<TTank> tank_;
    irr::scene::ISceneNode* tankNode_;  // grabbed
    irr::scene::SMesh* ghost_ = nullptr;
    irr::video::SMaterial material_;
    irr::core::aabbox3d<irr::f32> box_;
};
