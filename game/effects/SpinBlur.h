// The death spin drawn as the eye would see it. The dying tank turns 100 degrees a frame
// (its motion is left exactly as it is); drawn only at those poses a spin that fast reads
// as a jitter, a wagon wheel turning slowly either way. Here the tank is drawn as it is and,
// fading behind it, at the poses it swept through since the last frame: the turn shows as
// one smooth, motion-blurred whirl.
#pragma once

#include <irrlicht.h>

#include <functional>
#include <memory>

class TTank;

class TSpinBlur : public irr::scene::ISceneNode {
public:
    static constexpr int kGhosts = 5;       // poses drawn between two frames
    static constexpr irr::u32 kAlpha = 80;  // of each ghost

    // What the blur follows: the degrees the node turned since the last frame, and whether
    // the spin is over (then the blur leaves the scene).
    struct TSpin {
        std::function<float()> sweptDegrees;
        std::function<bool()> over;
    };

    // Follows `tank` while its death animator runs.
    static void Follow(irr::scene::ISceneManager* smgr, const std::shared_ptr<TTank>& tank);

    // Follows `node`, a mesh drawn in `color`, while `spin` goes on.
    TSpinBlur(irr::scene::ISceneManager* smgr, irr::scene::ISceneNode* node, irr::video::SColor color, TSpin spin);
    ~TSpinBlur() override;

    void OnAnimate(irr::u32 timeMs) override;
    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }
    irr::u32 getMaterialCount() const override { return 1; }
    irr::video::SMaterial& getMaterial(irr::u32) override { return material_; }

private:
    TSpin spin_;
    irr::scene::ISceneNode* tankNode_;  // grabbed
    irr::scene::SMesh* ghost_ = nullptr;
    irr::video::SMaterial material_;
    irr::core::aabbox3d<irr::f32> box_;
};
