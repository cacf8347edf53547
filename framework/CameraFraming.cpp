#include "framework/CameraFraming.h"

#include <algorithm>
#include <cmath>

namespace {

// The camera's forward, up and right axes from its rotation, as the engine's look-at builds them.
struct Axes {
    irr::core::vector3df forward, up, right;
};
Axes AxesOf(irr::scene::ICameraSceneNode* camera)
{
    irr::core::matrix4 rotation;
    rotation.setRotationDegrees(camera->getRotation());
    Axes axes{{0, 0, 1}, {0, 1, 0}, {}};
    rotation.rotateVect(axes.forward);
    rotation.rotateVect(axes.up);
    axes.forward.normalize();
    axes.up.normalize();
    axes.right = axes.up.crossProduct(axes.forward).normalize();
    return axes;
}

void Aim(irr::scene::ICameraSceneNode* camera, const irr::core::vector3df& position, const Axes& axes)
{
    camera->setPosition(position);
    camera->setUpVector(axes.up);
    camera->setTarget(position + axes.forward * 1000.0f);
    camera->updateAbsolutePosition();
}

// Along one screen axis: the least distance back from the box's center at which every corner
// fits within +-reach (the tangent of the half field of view, less the margin), and the shift
// across that centers them there. A corner at `across` sideways and `along` forward of the
// center fits while |across - shift| <= reach * (along + back).
struct Fit {
    float back, shift;
};
Fit FitAxis(const irr::core::vector3df (&corners)[8], const irr::core::vector3df& center,
            const irr::core::vector3df& axis, const irr::core::vector3df& forward, float reach)
{
    float low = -1e30f, high = 1e30f;  // max(across - reach*along), min(across + reach*along)
    for (const auto& corner : corners) {
        const irr::core::vector3df v = corner - center;
        const float across = v.dotProduct(axis), along = v.dotProduct(forward);
        low = std::max(low, across - reach * along);
        high = std::min(high, across + reach * along);
    }
    const float back = (low - high) / (2.0f * reach);
    return {back, (low + high) / 2.0f};
}

}  // namespace

namespace CameraFraming {

irr::core::vector3df FramePerspective(irr::scene::ICameraSceneNode* camera, const irr::core::aabbox3df& box,
                                      float aspect, float margin)
{
    camera->setAspectRatio(aspect);
    const Axes axes = AxesOf(camera);
    irr::core::vector3df corners[8];
    box.getEdges(corners);
    const irr::core::vector3df center = box.getCenter();
    const float tanY = std::tan(camera->getFOV() / 2.0f) * (1.0f - margin);
    const float tanX = std::tan(camera->getFOV() / 2.0f) * aspect * (1.0f - margin);
    const Fit x = FitAxis(corners, center, axes.right, axes.forward, tanX);
    const Fit y = FitAxis(corners, center, axes.up, axes.forward, tanY);
    // The farther of the two distances; at it the other axis has room, and its shift stays
    // the middle of what fits. The near plane keeps off the nearest corner.
    float back = std::max(x.back, y.back);
    for (const auto& corner : corners)
        back = std::max(back, camera->getNearValue() * 2.0f - (corner - center).dotProduct(axes.forward));
    const irr::core::vector3df position = center - axes.forward * back + axes.right * x.shift + axes.up * y.shift;
    Aim(camera, position, axes);
    return position;
}

void FrameOrthographic(irr::scene::ICameraSceneNode* camera, const irr::core::aabbox3df& box, float aspect,
                       float margin)
{
    const Axes axes = AxesOf(camera);
    irr::core::vector3df corners[8];
    box.getEdges(corners);
    const irr::core::vector3df center = box.getCenter();
    float width = 0, height = 0, depth = 0;
    for (const auto& corner : corners) {
        const irr::core::vector3df v = corner - center;
        width = std::max(width, 2.0f * std::fabs(v.dotProduct(axes.right)));
        height = std::max(height, 2.0f * std::fabs(v.dotProduct(axes.up)));
        depth = std::max(depth, std::fabs(v.dotProduct(axes.forward)));
    }
    width = std::max(width, height * aspect) / (1.0f - margin);
    height = width / aspect;
    Aim(camera, center - axes.forward * (depth + camera->getNearValue() * 2.0f + 1.0f), axes);
    irr::core::matrix4 projection;
    projection.buildProjectionMatrixOrthoLH(width, height, camera->getNearValue(), camera->getFarValue());
    camera->setProjectionMatrix(projection, true);
}

bool Project(irr::scene::ICameraSceneNode* camera, const irr::core::recti& viewport,
             const irr::core::vector3df& point, irr::core::vector2df& out)
{
    // The view matrix as the engine builds it before it draws, from position, target and up.
    camera->updateAbsolutePosition();
    irr::core::matrix4 view;
    view.buildCameraLookAtMatrixLH(camera->getAbsolutePosition(), camera->getTarget(), camera->getUpVector());
    irr::core::matrix4 clip = camera->getProjectionMatrix() * view;
    irr::f32 v[4] = {point.X, point.Y, point.Z, 1.0f};
    clip.multiplyWith1x4Matrix(v);
    if (v[3] <= 0) return false;
    const float x = v[0] / v[3], y = v[1] / v[3];
    out.X = viewport.UpperLeftCorner.X + (x + 1.0f) * 0.5f * viewport.getWidth();
    out.Y = viewport.UpperLeftCorner.Y + (1.0f - y) * 0.5f * viewport.getHeight();
    return true;
}

}  // namespace CameraFraming
