// Places a fixed camera so that a box (the arena's bounds) fills its viewport: the camera
// keeps its rotation and field of view and moves (a perspective camera) or takes a view
// volume (an orthographic one) just large enough for all eight corners, with a margin.
#pragma once

#include <irrlicht.h>

namespace CameraFraming {

// The share of the viewport's half-width and half-height left free at the edges.
constexpr float kMargin = 0.03f;

// Moves a perspective camera along and across its view so that the box fits a viewport of
// the given aspect (width / height) as tightly as the field of view allows. Sets the
// camera's aspect ratio, position and target; returns the new position.
irr::core::vector3df FramePerspective(irr::scene::ICameraSceneNode* camera, const irr::core::aabbox3df& box,
                                      float aspect, float margin = kMargin);

// Centers an orthographic camera over the box and gives it the smallest view volume of
// the given aspect that holds the box; the camera is marked orthogonal.
void FrameOrthographic(irr::scene::ICameraSceneNode* camera, const irr::core::aabbox3df& box, float aspect,
                       float margin = kMargin);

// Where a world point lands in a viewport for this camera (its projection and view matrices
// as they are now); false if the point is behind the camera.
bool Project(irr::scene::ICameraSceneNode* camera, const irr::core::recti& viewport,
             const irr::core::vector3df& point, irr::core::vector2df& out);

}  // namespace CameraFraming
