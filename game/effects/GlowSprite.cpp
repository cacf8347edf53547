#include "game/effects/GlowSprite.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSides = 12;
}

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
    irr::core::matrix4 toClip = camera->getProjectionMatrix() * camera->getViewMatrix();
    irr::f32 clip[4];
    toClip.transformVect(clip, at);
    const float w = std::fabs(clip[3]) > 1e-4f ? std::fabs(clip[3]) : 1e-4f;
    return camera->getProjectionMatrix()[5] * 0.5f * viewport.getHeight() / w;
}

void TGlowSprite::OnAnimate(irr::u32 timeMs)
{
    if (look.lifeMs > 0) {
        if (born_ == 0) born_ = timeMs;
        age_ = std::min(1.0f, (timeMs - born_) / static_cast<float>(look.lifeMs));
        if (timeMs - born_ >= look.lifeMs) SceneManager->addToDeletionQueue(this);
    }
    ISceneNode::OnAnimate(timeMs);
}

void TGlowSprite::OnRegisterSceneNode()
{
    if (IsVisible) SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_TRANSPARENT);
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

    // A fan for the core, then a band from the core's edge out to the ring's.
    irr::video::S3DVertex vertices[1 + 2 * kSides];
    irr::u16 indices[9 * kSides];
    vertices[0] = irr::video::S3DVertex(centre, toCamera, coreColor, {0, 0});
    for (int i = 0; i < kSides; ++i) {
        const float a = 2.0f * irr::core::PI * i / kSides;
        const irr::core::vector3df d = right * std::cos(a) + up * std::sin(a);
        vertices[1 + i] = irr::video::S3DVertex(centre + d * core, toCamera, coreColor, {0, 0});
        vertices[1 + kSides + i] = irr::video::S3DVertex(centre + d * ring, toCamera, clearRim, {0, 0});
    }
    // The fan first, then the band; the core's edge is drawn twice: solid inside, the rim
    // color where the band starts.
    irr::u16* fan = indices;
    irr::u16* band = indices + 3 * kSides;
    for (int i = 0; i < kSides; ++i) {
        const irr::u16 a = static_cast<irr::u16>(1 + i), b = static_cast<irr::u16>(1 + (i + 1) % kSides);
        const irr::u16 oa = static_cast<irr::u16>(a + kSides), ob = static_cast<irr::u16>(b + kSides);
        fan[3 * i] = 0, fan[3 * i + 1] = a, fan[3 * i + 2] = b;
        band[6 * i] = a, band[6 * i + 1] = oa, band[6 * i + 2] = ob;
        band[6 * i + 3] = a, band[6 * i + 4] = ob, band[6 * i + 5] = b;
    }
    driver->setTransform(irr::video::ETS_WORLD, irr::core::IdentityMatrix);
    driver->setMaterial(material_);
    for (int i = 0; i < kSides; ++i) vertices[1 + i].Color = rimColor;
    driver->drawIndexedTriangleList(vertices, 1 + 2 * kSides, band, 2 * kSides);
    for (int i = 0; i < kSides; ++i) vertices[1 + i].Color = coreColor;
    driver->drawIndexedTriangleList(vertices, 1 + kSides, fan, kSides);
}
