#include "game/effects/GlowSprite.h"

#include "framework/Clock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSides = 12;

// Corners of a unit circle, worked out once.
struct UnitCircle {
    float cos[kSides], sin[kSides];
    UnitCircle()
    {
        for (int i = 0; i < kSides; ++i) {
            cos[i] = std::cos(2.0f * irr::core::PI * i / kSides);
            sin[i] = std::sin(2.0f * irr::core::PI * i / kSides);
        }
    }
};
const UnitCircle kCircle;
}  // namespace

irr::video::SMaterial EffectMaterial()
{
    irr::video::SMaterial material;
    material.MaterialType = irr::video::EMT_TRANSPARENT_VERTEX_ALPHA;
    material.Lighting = false;
    material.ZWriteEnable = false;
    material.BackfaceCulling = false;
    return material;
}

TGlowSprite::TGlowSprite(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* smgr, const Look& look)
    : irr::scene::ISceneNode(parent, smgr, -1), look(look), material_(EffectMaterial())
{
    setAutomaticCulling(irr::scene::EAC_OFF);
    box_.reset(0, 0, 0);
}

float TGlowSprite::PixelsPerUnit(irr::scene::ICameraSceneNode* camera, const irr::core::vector3df& at,
                                 const irr::core::recti& viewport)
{
    // Only the clip space w of the point is needed: the view transform, then the
    // projection's last column (1 for an orthographic camera, the depth for a perspective one).
    irr::core::vector3df eye = at;
    camera->getViewMatrix().transformVect(eye);
    const irr::core::matrix4& projection = camera->getProjectionMatrix();
    const float w = std::fabs(projection[3] * eye.X + projection[7] * eye.Y + projection[11] * eye.Z + projection[15]);
    return projection[5] * 0.5f * viewport.getHeight() / std::max(w, 1e-4f);
}

void TGlowSprite::OnAnimate(irr::u32 timeMs)
{
    if (look.lifeMs > 0) {
        // The game's clock, not the engine's: a flash lasts as long in game time as the
        // frames around it, also when tests and benchmarks drive the clock by hand.
        const irr::u32 now = GameClock::Milliseconds();
        if (!started_) born_ = now, started_ = true;
        age_ = std::min(1.0f, (now - born_) / static_cast<float>(look.lifeMs));
        if (now - born_ >= look.lifeMs) SceneManager->addToDeletionQueue(this);
    }
    ISceneNode::OnAnimate(timeMs);
}

void TGlowSprite::OnRegisterSceneNode()
{
    if (IsVisible && EffectShown(look.lifeMs > 0 ? TEffect::Flash : TEffect::Glow))
        SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_TRANSPARENT);
    ISceneNode::OnRegisterSceneNode();
}

void TGlowSprite::render()
{
    irr::scene::ICameraSceneNode* camera = SceneManager->getActiveCamera();
    irr::video::IVideoDriver* driver = SceneManager->getVideoDriver();
    if (!camera || !driver) return;

    const irr::core::matrix4& view = camera->getViewMatrix();
    const irr::core::vector3df right(view[0], view[4], view[8]), up(view[1], view[5], view[9]);
    irr::core::vector3df toCamera = camera->getAbsolutePosition() - getAbsolutePosition();
    if (camera->isOrthogonal()) toCamera = irr::core::vector3df(-view[2], -view[6], -view[10]);
    toCamera.normalize();
    const irr::core::vector3df centre = getAbsolutePosition() + toCamera * look.towardCamera;

    const float perUnit = PixelsPerUnit(camera, centre, driver->getViewPort());
    const float grow = look.lifeMs > 0 ? 0.6f + 0.8f * age_ : 1.0f;
    float core = std::max(look.radius, perUnit > 0.0f ? look.minPixels / perUnit : look.radius);
    if (perUnit > 0.0f) core = std::min(core, look.maxPixels / perUnit);
    core *= grow;
    const float ring = core * look.ringScale;
    const float fade = look.lifeMs > 0 ? 1.0f - age_ : 1.0f;

    irr::video::SColor coreColor = look.core, rimColor = look.rim, clearRim = look.rim;
    coreColor.setAlpha(static_cast<irr::u32>(255 * fade));
    rimColor.setAlpha(static_cast<irr::u32>(200 * fade));
    clearRim.setAlpha(0);

    // One draw: a band from the core's edge (in the rim color) out to the ring's, then a
    // fan for the core over its inner edge.
    irr::video::S3DVertex vertices[1 + 3 * kSides];
    irr::u16 indices[9 * kSides];
    vertices[0] = irr::video::S3DVertex(centre, toCamera, coreColor, {0, 0});
    for (int i = 0; i < kSides; ++i) {
        const irr::core::vector3df d = right * kCircle.cos[i] + up * kCircle.sin[i];
        vertices[1 + i] = irr::video::S3DVertex(centre + d * core, toCamera, coreColor, {0, 0});
        vertices[1 + kSides + i] = irr::video::S3DVertex(centre + d * core, toCamera, rimColor, {0, 0});
        vertices[1 + 2 * kSides + i] = irr::video::S3DVertex(centre + d * ring, toCamera, clearRim, {0, 0});
    }
    irr::u16* band = indices;
    irr::u16* fan = indices + 6 * kSides;
    for (int i = 0; i < kSides; ++i) {
        const irr::u16 a = static_cast<irr::u16>(1 + i), b = static_cast<irr::u16>(1 + (i + 1) % kSides);
        const irr::u16 ra = static_cast<irr::u16>(a + kSides), rb = static_cast<irr::u16>(b + kSides);
        const irr::u16 oa = static_cast<irr::u16>(a + 2 * kSides), ob = static_cast<irr::u16>(b + 2 * kSides);
        band[6 * i] = ra, band[6 * i + 1] = oa, band[6 * i + 2] = ob;
        band[6 * i + 3] = ra, band[6 * i + 4] = ob, band[6 * i + 5] = rb;
        fan[3 * i] = 0, fan[3 * i + 1] = a, fan[3 * i + 2] = b;
    }
    driver->setTransform(irr::video::ETS_WORLD, irr::core::IdentityMatrix);
    driver->setMaterial(material_);
    driver->drawIndexedTriangleList(vertices, 1 + 3 * kSides, indices, 3 * kSides);
}
