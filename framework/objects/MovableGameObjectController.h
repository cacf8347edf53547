// Base of objects that drive another object of their state, named by key.
#pragma once

#include <memory>
#include <string>

#include "framework/ObjectLookup.h"
#include "framework/objects/GameObject.h"

class TMovableGameObjectController : public TGameObject {
    VEXMOOR_CLASS(TMovableGameObjectController, TGameObject)

public:
    virtual int SetTarget(const std::string& key);
    // The driven object, looked up in the controller's own state; null when it has none.
    virtual std::shared_ptr<TGameObject> GetTarget();

    std::string target_key;

private:
    TObjectLookup<TGameObject> target_;
};
