// Game objects: everything a state holds by key, with keyed per-object animators.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "framework/GameBase.h"

class TGameState;
class TGameObject;
class TNodeGameObject;

// Base of everything a state holds by key (objects, per-object animators, views).
class TGameObjectBase : public TGameBase {
    VEXMOOR_CLASS(TGameObjectBase, TGameBase)

public:
    // The state registered under state_key at the time of the call; null when free.
    virtual std::shared_ptr<TGameState> GetState();
    virtual int OnAdd(TGameState* state);
    virtual int OnRemove(TGameState* state);

    std::string state_key;
    std::string obj_key;

private:
    TObjectLookup<TGameState> state_;
};

// A small behaviour run once per frame for one object, before the object's OnUpdate.
class TGameObjectAnimator : public TGameObjectBase {
    VEXMOOR_CLASS(TGameObjectAnimator, TGameObjectBase)

public:
    virtual int OnAnimate(TGameObject* obj, int timeMs);
    virtual int Destroy();
};

class TGameObject : public TGameObjectBase {
    VEXMOOR_CLASS(TGameObject, TGameObjectBase)

public:
    virtual int OnPreRender();
    virtual int OnPostRender();
    virtual int OnUpdate();
    // Drains the animator deletion queue; overrides call this base version.
    virtual int OnPostUpdate();
    virtual int OnUserEvent(int data1, int data2, float data3);
    // Clears the animators and removes the object from its state.
    virtual int Destroy();
    virtual int QueueGameObjectAnimatorForDeletion(const std::string& key);
    virtual int RunAnimators();
    virtual std::shared_ptr<TGameObjectAnimator> GetAnimator(const std::string& key);
    virtual std::shared_ptr<TGameObjectAnimator> AddAnimator(const std::string& key,
                                                             std::shared_ptr<TGameObjectAnimator> animator);
    virtual int RemoveAnimator(const std::string& key);
    virtual int ClearAnimators();
    // This object as a scene-node object, or null: what a dynamic_cast would give, for
    // the animators that ask every frame.
    virtual TNodeGameObject* AsNodeObject() { return nullptr; }

    KeyedMap<std::shared_ptr<TGameObjectAnimator>> animators;
    std::deque<std::string> GameObjectAnimatorDeleteQueue;
};

// Marks objects that stand for a participant rather than a thing in the scene.
class TPlayerGameObject : public TGameObject {
    VEXMOOR_CLASS(TPlayerGameObject, TGameObject)
};
