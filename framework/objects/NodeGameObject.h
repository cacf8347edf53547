// Game objects bound to one scene node: position, rotation and visibility in game terms,
// a registry from nodes back to their objects, and safe removal of engine animators.
#pragma once

#include <irrlicht.h>

#include <deque>
#include <string>

#include "framework/objects/GameObject.h"

class TNodeGameObject : public TGameObject {
    VEXMOOR_CLASS(TNodeGameObject, TGameObject)

public:
    ~TNodeGameObject() override;

    int OnPostUpdate() override;
    int Destroy() override;
    // Object animators first, then the node's world transform, so OnUpdate reads it fresh.
    int RunAnimators() override;
    TNodeGameObject* AsNodeObject() override { return this; }

    // The key of the object that owns node; empty when no object does.
    static std::string GetKeyForNode(irr::scene::ISceneNode* node);

    // Binds the node; the object must have been added to a state first.
    virtual int SetNodeObject(irr::scene::ISceneNode* node);
    virtual int SetPosition(const irr::core::vector3df& v);
    virtual int SetRotation(const irr::core::vector3df& v);
    virtual irr::core::vector3df GetPosition();
    virtual irr::core::vector3df GetRotation();
    // Where the node faces on the ground: degrees about Y from +Z toward +X, in [0, 360).
    // Turning can leave the rotation as an equivalent triple such as (180, 175, 180), whose
    // Y alone is no heading.
    virtual float GetHeading();
    // The same for any transformation (a node's absolute one gives its heading in the world).
    static float HeadingOf(const irr::core::matrix4& transformation);
    virtual irr::core::vector3df GetGlobalPosition();
    virtual irr::core::vector3df GetGlobalRotation();
    virtual float GetDistanceFrom(const irr::core::vector3df& v);
    // Detaches the engine animator from the node after this frame's update.
    virtual int QueueAnimatorForDeletion(irr::scene::ISceneNodeAnimator* animator);
    virtual int IsVisible();
    virtual int SetVisible(int visible);

    // The scene graph owns the node; null until bound and again after Destroy.
    irr::scene::ISceneNode* _node = nullptr;
    // Each queued animator is grabbed until it has been detached, so it cannot vanish
    // (and its address be reused) while it waits.
    std::deque<irr::scene::ISceneNodeAnimator*> animatorDeleteQueue;

    // Scene node -> key of the object that owns it.
    static KeyedMap<std::string, irr::scene::ISceneNode*> NodeObjectKeys;

private:
    void DropAnimatorQueue();
};
