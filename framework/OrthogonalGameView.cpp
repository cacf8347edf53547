#include "framework/OrthogonalGameView.h"

namespace {
const float kVolumeScale = 0.85f;
const float kVolumeBase = 50.0f;
}  // namespace

int TOrthogonalGameView::AddCamera(irr::scene::ICameraSceneNode* camera, std::optional<irr::core::recti> viewport)
{
    TGameView::AddCamera(camera, viewport);
    if (!camera) return 0;
    const float height = kVolumeBase / camera->getAspectRatio();
    irr::core::matrix4 projection;
    projection.buildProjectionMatrixOrthoLH(kVolumeScale * kVolumeBase, kVolumeScale * height,
                                            camera->getNearValue(), camera->getFarValue());
    camera->setProjectionMatrix(projection, true);  // true: mark the camera orthogonal
    return 0;
}
