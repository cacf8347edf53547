#include "framework/objects/NodeGameObject.h"

#include <cmath>
#include <stdexcept>

#include "framework/GameState.h"

KeyedMap<std::string, irr::scene::ISceneNode*> TNodeGameObject::NodeObjectKeys;

TNodeGameObject::~TNodeGameObject()
{
    DropAnimatorQueue();
}

std::string TNodeGameObject::GetKeyForNode(irr::scene::ISceneNode* node)
{
    if (!node) return std::string();
    return NodeObjectKeys.Get(node);
}

int TNodeGameObject::SetNodeObject(irr::scene::ISceneNode* node)
{
    if (obj_key.empty()) throw std::runtime_error("Object Key Not Set");
    _node = node;
    if (!node) return 0;
    // A node bound earlier to this object keeps its entry.
    NodeObjectKeys.Set(node, obj_key);
    node->updateAbsolutePosition();
    return 0;
}

int TNodeGameObject::SetPosition(const irr::core::vector3df& v)
{
    if (_node) _node->setPosition(v);
    return 0;
}

int TNodeGameObject::SetRotation(const irr::core::vector3df& v)
{
    if (_node) _node->setRotation(v);
    return 0;
}

irr::core::vector3df TNodeGameObject::GetPosition()
{
    return _node ? _node->getPosition() : irr::core::vector3df();
}

irr::core::vector3df TNodeGameObject::GetRotation()
{
    return _node ? _node->getRotation() : irr::core::vector3df();
}

float TNodeGameObject::GetHeading()
{
    if (!_node) return 0.0f;
    irr::core::matrix4 rotation;
    rotation.setRotationDegrees(_node->getRotation());
    return HeadingOf(rotation);
}

float TNodeGameObject::HeadingOf(const irr::core::matrix4& transformation)
{
    irr::core::vector3df forward(0.0f, 0.0f, 1.0f);
    transformation.rotateVect(forward);
    float heading = std::atan2(forward.X, forward.Z) * irr::core::RADTODEG;
    if (heading < 0.0f) heading += 360.0f;
    return heading >= 360.0f ? 0.0f : heading;
}

irr::core::vector3df TNodeGameObject::GetGlobalPosition()
{
    return _node ? _node->getAbsolutePosition() : irr::core::vector3df();
}

irr::core::vector3df TNodeGameObject::GetGlobalRotation()
{
    return _node ? _node->getAbsoluteTransformation().getRotationDegrees() : irr::core::vector3df();
}

float TNodeGameObject::GetDistanceFrom(const irr::core::vector3df& v)
{
    return GetGlobalPosition().getDistanceFrom(v);
}

int TNodeGameObject::QueueAnimatorForDeletion(irr::scene::ISceneNodeAnimator* animator)
{
    if (!animator) return 0;
    animator->grab();
    animatorDeleteQueue.push_back(animator);
    return 0;
}

int TNodeGameObject::IsVisible()
{
    return _node && _node->isVisible() ? 1 : 0;
}

int TNodeGameObject::SetVisible(int visible)
{
    if (!_node) return 0;
    _node->setVisible(visible != 0);
    _node->updateAbsolutePosition();
    return 0;
}

int TNodeGameObject::RunAnimators()
{
    TGameObject::RunAnimators();
    if (_node) _node->updateAbsolutePosition();
    return 0;
}

int TNodeGameObject::OnPostUpdate()
{
    TGameObject::OnPostUpdate();
    if (!animatorDeleteQueue.empty()) {
        std::deque<irr::scene::ISceneNodeAnimator*> queue;
        queue.swap(animatorDeleteQueue);
        // An animator queued twice is simply not found on the node the second time.
        for (irr::scene::ISceneNodeAnimator* animator : queue) {
            if (_node) _node->removeAnimator(animator);
            animator->drop();
        }
    }
    return 0;
}

int TNodeGameObject::Destroy()
{
    std::shared_ptr<TGameState> state = GetState();
    if (_node) {
        NodeObjectKeys.Remove(_node);
        // Inside a state the node may still be drawn or animated this frame: let the
        // engine remove it at the end of its next drawAll.
        if (state && state->smgr)
            state->smgr->addToDeletionQueue(_node);
        else
            _node->remove();
    }
    _node = nullptr;
    DropAnimatorQueue();
    return TGameObject::Destroy();
}

void TNodeGameObject::DropAnimatorQueue()
{
    for (irr::scene::ISceneNodeAnimator* animator : animatorDeleteQueue) animator->drop();
    animatorDeleteQueue.clear();
}
