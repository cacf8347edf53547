// Scene-node objects that move and turn in their own frame, scaled by the speed factor,
// remember where they were at the end of the last frame and test for collisions.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>

#include "framework/objects/CollisionInfo.h"
#include "framework/objects/NodeGameObject.h"

class TMovableGameObject : public TNodeGameObject {
    VEXMOOR_CLASS(TMovableGameObject, TNodeGameObject)

public:
    // Binds the node and takes its positions as the last ones: the first velocity is zero.
    int SetNodeObject(irr::scene::ISceneNode* node) override;
    // Takes this frame's positions as the last ones, then drains the animator queues.
    int OnPostUpdate() override;

    // The positions at the end of the previous frame's update; (0,0,0) before binding.
    virtual irr::core::vector3df GetLastGlobalPosition();
    virtual irr::core::vector3df GetLastPosition();
    // Normalised velocity; (0,0,0) while standing still.
    virtual irr::core::vector3df GetDirection();
    // World displacement since the end of the previous frame's update, per frame.
    virtual irr::core::vector3df GetVelocity();
    virtual int SetMoveSpeed(float speed);
    virtual int SetTurnSpeed(float speed);
    // Moves along the node's own axes, times the speed factor.
    virtual int Move(float x, float y, float z);
    // Turns about the node's own axes, degrees times the speed factor: yaw, pitch, roll.
    virtual int Turn(float x, float y, float z);
    // Mode 0: swept ellipsoid against other's triangles; mode 1: bounding boxes overlap;
    // any other mode tests nothing. 1 when a collision was found (kept in lastCollision).
    virtual int CheckCollision(TNodeGameObject* other, int mode);

    float baseMoveSpeed = 1.0f;
    float baseTurnSpeed = 1.0f;
    // The last test that found a collision; a test that finds nothing leaves it.
    std::shared_ptr<TCollisionInfo> lastCollision;
    std::optional<irr::core::vector3df> lastGlobalPosition;
    std::optional<irr::core::vector3df> lastPosition;

protected:
    std::shared_ptr<TCollisionInfo> TestBoxes(TNodeGameObject* other);
    std::shared_ptr<TCollisionInfo> TestEllipsoid(TNodeGameObject* other, irr::scene::ISceneManager* smgr);
};
