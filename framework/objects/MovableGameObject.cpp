#include "framework/objects/MovableGameObject.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "framework/Game.h"
#include "framework/GameState.h"

using irr::core::matrix4;
using irr::core::vector3df;

int TMovableGameObject::SetNodeObject(irr::scene::ISceneNode* node)
{
    TNodeGameObject::SetNodeObject(node);
    if (_node) {
        lastGlobalPosition = GetGlobalPosition();
        lastPosition = GetPosition();
    }
    return 0;
}

int TMovableGameObject::OnPostUpdate()
{
    if (_node) {
        lastGlobalPosition = GetGlobalPosition();
        lastPosition = GetPosition();
    }
    return TNodeGameObject::OnPostUpdate();
}

vector3df TMovableGameObject::GetLastGlobalPosition()
{
    return lastGlobalPosition.value_or(vector3df());
}

vector3df TMovableGameObject::GetLastPosition()
{
    return lastPosition.value_or(vector3df());
}

vector3df TMovableGameObject::GetVelocity()
{
    if (!_node || !lastGlobalPosition) return vector3df();
    return GetGlobalPosition() - *lastGlobalPosition;
}

vector3df TMovableGameObject::GetDirection()
{
    return GetVelocity().normalize();  // a zero vector stays zero
}

int TMovableGameObject::SetMoveSpeed(float speed)
{
    baseMoveSpeed = speed;
    return 0;
}

int TMovableGameObject::SetTurnSpeed(float speed)
{
    baseTurnSpeed = speed;
    return 0;
}

int TMovableGameObject::Move(float x, float y, float z)
{
    if (!_node) return 0;
    vector3df v(TGame::ApplySpeedFactor(x), TGame::ApplySpeedFactor(y), TGame::ApplySpeedFactor(z));
    // The relative transformation carries rotation, scale and translation: the step is
    // taken along the node's own axes from where it stands.
    _node->getRelativeTransformation().transformVect(v);
    _node->setPosition(v);
    return 0;
}

int TMovableGameObject::Turn(float x, float y, float z)
{
    if (!_node) return 0;
    const float pitch = TGame::ApplySpeedFactor(x);
    const float yaw = TGame::ApplySpeedFactor(y);
    const float roll = TGame::ApplySpeedFactor(z);
    if (pitch == 0.0f && yaw == 0.0f && roll == 0.0f) return 0;
    // An upright node turning about Y alone (every tank, every frame it turns) only adds to
    // its heading. It is kept in the triple the product below would give: (0, h, 0) facing
    // the front half, (180, 180 - h, 180) facing the back half.
    const vector3df now = _node->getRotation();
    const bool plain = now.X == 0.0f && now.Z == 0.0f, flipped = now.X == 180.0f && now.Z == 180.0f;
    if (pitch == 0.0f && roll == 0.0f && (plain || flipped)) {
        float heading = std::fmod((plain ? now.Y : 180.0f - now.Y) + yaw, 360.0f);
        if (heading < 0.0f) heading += 360.0f;
        if (heading > 90.0f && heading < 270.0f) {
            float y = 180.0f - heading;
            if (y < 0.0f) y += 360.0f;
            _node->setRotation(vector3df(180.0f, y, 180.0f));
        } else {
            _node->setRotation(vector3df(0.0f, heading, 0.0f));
        }
        return 0;
    }

    // M *= N applies N to a vector first: yaw, then pitch, then roll, all in the node's
    // own frame, then the current orientation. A zero angle is the identity and is left
    // out of the product, which changes nothing but the cost.
    matrix4 orientation;
    orientation.setRotationDegrees(now);
    matrix4 increment;
    bool turned = false;
    const vector3df steps[] = {vector3df(0.0f, 0.0f, roll), vector3df(pitch, 0.0f, 0.0f), vector3df(0.0f, yaw, 0.0f)};
    for (const vector3df& angles : steps) {
        if (angles.X == 0.0f && angles.Y == 0.0f && angles.Z == 0.0f) continue;
        matrix4 step;
        step.setRotationDegrees(angles);
        if (turned)
            increment *= step;
        else
            increment = step;
        turned = true;
    }
    if (turned) orientation *= increment;
    _node->setRotation(orientation.getRotationDegrees());
    return 0;
}

int TMovableGameObject::CheckCollision(TNodeGameObject* other, int mode)
{
    std::shared_ptr<TGameState> state = GetState();
    std::shared_ptr<TCollisionInfo> found;
    if (mode == 1)
        found = TestBoxes(other);
    else if (mode == 0)
        found = TestEllipsoid(other, state ? state->smgr : nullptr);
    if (!found) return 0;
    lastCollision = found;
    return 1;
}

std::shared_ptr<TCollisionInfo> TMovableGameObject::TestBoxes(TNodeGameObject* other)
{
    if (!_node || !other || !other->_node) return nullptr;
    const irr::core::aabbox3df mine = _node->getTransformedBoundingBox();
    const irr::core::aabbox3df theirs = other->_node->getTransformedBoundingBox();
    // Touching counts: boxes that share only a face collide.
    if (!mine.intersectsWithBox(theirs)) return nullptr;
    return std::make_shared<TBoxBoxCollisionInfo>();
}

std::shared_ptr<TCollisionInfo> TMovableGameObject::TestEllipsoid(TNodeGameObject* other,
                                                                  irr::scene::ISceneManager* smgr)
{
    const vector3df velocity = GetVelocity();
    // A mover that has not moved this frame cannot run into anything: no test at all.
    if (velocity.equals(vector3df(0.0f, 0.0f, 0.0f))) return nullptr;

    irr::scene::ITriangleSelector* selector =
        other && other->_node ? other->_node->getTriangleSelector() : nullptr;
    if (!selector) throw std::runtime_error("No Triangle Selector");
    if (!smgr) return nullptr;

    // The selector places its triangles by the node's world transform at query time.
    other->_node->updateAbsolutePosition();

    const irr::core::aabbox3df& box = _node->getBoundingBox();
    const vector3df radius = box.MaxEdge - box.getCenter();

    // The engine writes the triangle only on a hit. Starting from a corner no mesh can
    // have tells a hit apart from a miss, also for a triangle with a corner at the origin.
    const float unset = std::numeric_limits<float>::max();
    const vector3df unsetCorner(unset, unset, unset);
    irr::core::triangle3df triangle(unsetCorner, unsetCorner, unsetCorner);
    vector3df hitPosition;
    bool falling = false;
    irr::scene::ISceneNode* hitNode = nullptr;

    auto info = std::make_shared<TEllipsoidPolyStaticCollisionInfo>();
    info->result_pos = smgr->getSceneCollisionManager()->getCollisionResultPosition(
        selector, *lastGlobalPosition, radius, velocity, triangle, hitPosition, falling, hitNode, 0.0f,
        vector3df(0.0f, 0.0f, 0.0f));
    const bool hitTriangle = triangle.pointA != unsetCorner;
    if (hitTriangle) info->collision_tri = triangle;
    info->falling = falling ? 1 : 0;

    const irr::core::triangle3df& t = info->collision_tri;
    const vector3df middle = t.pointB + (t.pointC - t.pointB) / 2.0f;
    info->out_point = middle - (middle - t.pointA) / 3.0f;

    if (info->falling || hitTriangle) return info;
    return nullptr;
}
