#include "game/effects/ShellTrail.h"

#include <algorithm>

#include "game/effects/GlowSprite.h"

TShellTrail::TShellTrail(irr::scene::ISceneNode* shell, irr::scene::ISceneManager* smgr, irr::video::SColor color)
    : irr::scene::ISceneNode(shell, smgr, -1), color_(color), material_(EffectMaterial())
{
    setAutomaticCulling(irr::scene::EAC_OFF);
    box_.reset(0, 0, 0);
}

void TShellTrail::OnAnimate(irr::u32 timeMs)
{
    ISceneNode::OnAnimate(timeMs);  // brings the place up to date
    const irr::core::vector3df here = getAbsolutePosition();
    // A split screen draws the scene twice a frame: a place is kept once.
    if (count_ > 0 && points_[0].equals(here, 1e-3f)) return;
    count_ = std::min(count_ + 1, kPoints);
    for (size_t i = count_ - 1; i > 0; --i) points_[i] = points_[i - 1];
    points_[0] = here;
}

void TShellTrail::OnRegisterSceneNode()
{
    if (IsVisible && EffectShown(TEffect::Trail)) SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_TRANSPARENT);
    ISceneNode::OnRegisterSceneNode();
}

size_t TShellTrail::Ribbon(irr::scene::ICameraSceneNode* camera, const irr::core::recti& viewport, Vertices& out) const
{
    if (count_ < 2) return 0;
    const irr::core::matrix4& view = camera->getViewMatrix();
    const irr::core::vector3df forward(view[2], view[6], view[10]);  // the camera's view direction
    // Two vertices per place, across the trail as the camera sees it.
    const size_t n = count_;
    for (size_t i = 0; i < n; ++i) {
        const irr::core::vector3df& p = points_[i];
        const irr::core::vector3df along = points_[i == 0 ? 1 : i] - points_[i == 0 ? 0 : i - 1];
        irr::core::vector3df across = along.crossProduct(forward);
        if (across.getLengthSQ() < 1e-12f) across = irr::core::vector3df(view[0], view[4], view[8]);
        across.normalize();
        const float perUnit = TGlowSprite::PixelsPerUnit(camera, p, viewport);
        const float tail = 1.0f - static_cast<float>(i) / (kPoints - 1);
        const float half = 0.5f * std::max(kWidth, perUnit > 0.0f ? kMinPixels / perUnit : kWidth) * (0.4f + 0.6f * tail);
        irr::video::SColor c = color_;
        c.setAlpha(static_cast<irr::u32>(210 * tail));
        out[2 * i] = irr::video::S3DVertex(p + across * half, -forward, c, {0, 0});
        out[2 * i + 1] = irr::video::S3DVertex(p - across * half, -forward, c, {0, 0});
    }
    return 2 * n;
}

void TShellTrail::render()
{
    irr::scene::ICameraSceneNode* camera = SceneManager->getActiveCamera();
    irr::video::IVideoDriver* driver = SceneManager->getVideoDriver();
    if (!camera || !driver) return;
    Vertices vertices;
    const size_t count = Ribbon(camera, driver->getViewPort(), vertices);
    if (count == 0) return;
    irr::u16 indices[6 * (kPoints - 1)];
    int k = 0;
    for (size_t i = 0; i + 1 < count / 2; ++i) {
        const irr::u16 a = static_cast<irr::u16>(2 * i);
        indices[k++] = a, indices[k++] = a + 1, indices[k++] = a + 3;
        indices[k++] = a, indices[k++] = a + 3, indices[k++] = a + 2;
    }
    driver->setTransform(irr::video::ETS_WORLD, irr::core::IdentityMatrix);
    driver->setMaterial(material_);
    driver->drawIndexedTriangleList(vertices.data(), static_cast<irr::u32>(count), indices, static_cast<irr::u32>(k / 3));
}
