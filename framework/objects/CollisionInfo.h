// Records of a collision test that found something, kept by the mover for the game.
#pragma once

#include <irrlicht.h>

// Common type of the records; the concrete class tells which test made it.
class TCollisionInfo {
public:
    virtual ~TCollisionInfo() = default;
};

// A swept ellipsoid that met the other object's triangles.
class TEllipsoidPolyStaticCollisionInfo : public TCollisionInfo {
public:
    // The triangle that was hit; all corners (0,0,0) until then.
    irr::core::triangle3df collision_tri;
    // Where the collision response leaves the ellipsoid centre after sliding.
    irr::core::vector3df result_pos;
    // Centroid of collision_tri.
    irr::core::vector3df out_point;
    int falling = 0;
};

// Two world-space bounding boxes that overlap or touch.
class TBoxBoxCollisionInfo : public TCollisionInfo {
};
