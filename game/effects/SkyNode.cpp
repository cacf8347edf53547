#include "game/effects/SkyNode.h"

#include <algorithm>
#include <cmath>

#include "game/effects/ColorContrast.h"
#include "game/effects/GlowSprite.h"

namespace {

constexpr int kSides = 16;
// Elevations of the dome's rings in degrees; the last ring is the zenith.
const float kRings[] = {0.0f, 8.0f, 20.0f, 40.0f, 65.0f, 90.0f};
constexpr int kRingCount = sizeof(kRings) / sizeof(kRings[0]);
// The dome stands this far out toward the camera's far plane, inside it.
constexpr float kFarShare = 0.9f;

irr::video::SColor Blend(irr::video::SColor from, irr::video::SColor to, float t)
{
    return to.getInterpolated(from, t);
}

}  // namespace

const irr::scene::ESCENE_NODE_TYPE TSkyNode::kType =
    static_cast<irr::scene::ESCENE_NODE_TYPE>(MAKE_IRR_ID('v', 's', 'k', 'y'));

TSkyNode::TSkyNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* smgr)
    : irr::scene::ISceneNode(parent, smgr, -1)
{
    material_.Lighting = false;
    // Drawn before everything, untested and leaving the depth buffer as it was cleared.
    material_.ZBuffer = irr::video::ECFN_NEVER;
    material_.ZWriteEnable = false;
    material_.BackfaceCulling = false;
    setAutomaticCulling(irr::scene::EAC_OFF);
    box_.reset(0, 0, 0);

    for (int r = 0; r < kRingCount; ++r) {
        const float elevation = kRings[r] * irr::core::DEGTORAD;
        for (int s = 0; s < kSides; ++s) {
            const float heading = 2.0f * irr::core::PI * s / kSides;
            // A unit dome, scaled out to the camera's far plane when drawn.
            const irr::core::vector3df at(std::cos(elevation) * std::sin(heading), std::sin(elevation),
                                          std::cos(elevation) * std::cos(heading));
            vertices_.push_back(irr::video::S3DVertex(at, -at, irr::video::SColor(255, 0, 0, 0), {0, 0}));
        }
    }
    for (int r = 0; r + 1 < kRingCount; ++r) {
        for (int s = 0; s < kSides; ++s) {
            const irr::u16 a = static_cast<irr::u16>(r * kSides + s);
            const irr::u16 b = static_cast<irr::u16>(r * kSides + (s + 1) % kSides);
            const irr::u16 c = static_cast<irr::u16>(a + kSides), d = static_cast<irr::u16>(b + kSides);
            indices_.push_back(a), indices_.push_back(b), indices_.push_back(d);
            indices_.push_back(a), indices_.push_back(d), indices_.push_back(c);
        }
    }
    SetColors(irr::video::SColor(255, 0, 0, 0), irr::video::SColor(255, 0, 0, 0));
}

void TSkyNode::SetColors(irr::video::SColor floor, irr::video::SColor walls)
{
    // A light sky where it stands out from both the floor and the walls, a darker one on
    // floors too light for that; the zenith goes further the same way.
    const irr::video::SColor white(255, 255, 255, 255), blue(255, 120, 170, 240), black(255, 0, 0, 0);
    const struct {
        irr::video::SColor toward;
        float t;
    } candidates[] = {{white, 0.55f}, {blue, 0.6f}, {white, 0.8f}, {blue, 0.85f}, {black, 0.35f}, {black, 0.55f}};
    constexpr float kEnough = 1.8f;
    float best = -1.0f;
    for (const auto& candidate : candidates) {
        const irr::video::SColor horizon = Blend(floor, candidate.toward, candidate.t);
        const float score = std::min(ColorContrast::ContrastRatio(horizon, floor),
                                     ColorContrast::ContrastRatio(horizon, walls));
        if (score > best) {
            best = score;
            horizon_ = horizon;
            zenith_ = Blend(horizon, candidate.toward, 0.35f);
        }
        if (score >= kEnough) break;
    }
    Shade();
}

void TSkyNode::Shade()
{
    for (int r = 0; r < kRingCount; ++r) {
        const irr::video::SColor color = Blend(horizon_, zenith_, kRings[r] / 90.0f);
        for (int s = 0; s < kSides; ++s) vertices_[r * kSides + s].Color = color;
    }
}

void TSkyNode::OnRegisterSceneNode()
{
    irr::scene::ICameraSceneNode* camera = SceneManager->getActiveCamera();
    if (IsVisible && EffectShown(TEffect::Sky) && camera) {
        // The sky pass comes before the solid models.
        SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_SKY_BOX);
    }
    ISceneNode::OnRegisterSceneNode();
}

void TSkyNode::render()
{
    irr::scene::ICameraSceneNode* camera = SceneManager->getActiveCamera();
    irr::video::IVideoDriver* driver = SceneManager->getVideoDriver();
    // An orthographic camera looks straight down at the arena and has no horizon.
    if (!camera || !driver || camera->isOrthogonal()) return;
    // A camera whose view ends below the horizon (the overhead ones) sees none of the dome.
    irr::core::vector3df forward = camera->getTarget() - camera->getAbsolutePosition();
    if (forward.getLengthSQ() > 0.0f &&
        std::asin(forward.normalize().Y) + 0.5f * camera->getFOV() < -0.05f)
        return;
    irr::core::matrix4 around;
    const float radius = kFarShare * camera->getFarValue();
    around.setScale(irr::core::vector3df(radius, radius, radius));
    around.setTranslation(camera->getAbsolutePosition());
    driver->setTransform(irr::video::ETS_WORLD, around);
    driver->setMaterial(material_);
    driver->drawIndexedTriangleList(vertices_.const_pointer(), vertices_.size(), indices_.const_pointer(),
                                    indices_.size() / 3);
}
