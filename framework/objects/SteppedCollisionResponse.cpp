#include "framework/objects/SteppedCollisionResponse.h"

#include <algorithm>

TSteppedCollisionResponse::TSteppedCollisionResponse(irr::scene::ISceneNodeAnimatorCollisionResponse* engine)
    : engine_(engine)
{
    engine_->grab();
}

TSteppedCollisionResponse::~TSteppedCollisionResponse()
{
    engine_->drop();
}

void TSteppedCollisionResponse::animateNode(irr::scene::ISceneNode*, irr::u32) {}

void TSteppedCollisionResponse::Step(irr::scene::ISceneNode* node, irr::u32 timeMs)
{
    // Time 0 would tell the engine's animator to start afresh from where the node stands.
    engine_->animateNode(node, std::max<irr::u32>(timeMs, 1));
}

irr::scene::ISceneNodeAnimator* TSteppedCollisionResponse::createClone(irr::scene::ISceneNode* node,
                                                                       irr::scene::ISceneManager* newManager)
{
    irr::scene::ISceneNodeAnimator* copy = engine_->createClone(node, newManager);
    if (!copy) return nullptr;
    auto* clone = new TSteppedCollisionResponse(static_cast<irr::scene::ISceneNodeAnimatorCollisionResponse*>(copy));
    copy->drop();
    return clone;
}

irr::scene::ESCENE_NODE_ANIMATOR_TYPE TSteppedCollisionResponse::getType() const
{
    return irr::scene::ESNAT_COLLISION_RESPONSE;
}

bool TSteppedCollisionResponse::isFalling() const { return engine_->isFalling(); }
void TSteppedCollisionResponse::setEllipsoidRadius(const irr::core::vector3df& r) { engine_->setEllipsoidRadius(r); }
irr::core::vector3df TSteppedCollisionResponse::getEllipsoidRadius() const { return engine_->getEllipsoidRadius(); }
void TSteppedCollisionResponse::setGravity(const irr::core::vector3df& g) { engine_->setGravity(g); }
irr::core::vector3df TSteppedCollisionResponse::getGravity() const { return engine_->getGravity(); }
void TSteppedCollisionResponse::jump(irr::f32 speed) { engine_->jump(speed); }
void TSteppedCollisionResponse::setAnimateTarget(bool enable) { engine_->setAnimateTarget(enable); }
bool TSteppedCollisionResponse::getAnimateTarget() const { return engine_->getAnimateTarget(); }
void TSteppedCollisionResponse::setEllipsoidTranslation(const irr::core::vector3df& t)
{
    engine_->setEllipsoidTranslation(t);
}
irr::core::vector3df TSteppedCollisionResponse::getEllipsoidTranslation() const
{
    return engine_->getEllipsoidTranslation();
}
void TSteppedCollisionResponse::setWorld(irr::scene::ITriangleSelector* world) { engine_->setWorld(world); }
irr::scene::ITriangleSelector* TSteppedCollisionResponse::getWorld() const { return engine_->getWorld(); }
void TSteppedCollisionResponse::setTargetNode(irr::scene::ISceneNode* node) { engine_->setTargetNode(node); }
irr::scene::ISceneNode* TSteppedCollisionResponse::getTargetNode() const { return engine_->getTargetNode(); }
bool TSteppedCollisionResponse::collisionOccurred() const { return engine_->collisionOccurred(); }
const irr::core::vector3df& TSteppedCollisionResponse::getCollisionPoint() const
{
    return engine_->getCollisionPoint();
}
const irr::core::triangle3df& TSteppedCollisionResponse::getCollisionTriangle() const
{
    return engine_->getCollisionTriangle();
}
const irr::core::vector3df& TSteppedCollisionResponse::getCollisionResultPosition() const
{
    return engine_->getCollisionResultPosition();
}
irr::scene::ISceneNode* TSteppedCollisionResponse::getCollisionNode() const { return engine_->getCollisionNode(); }
void TSteppedCollisionResponse::setCollisionCallback(irr::scene::ICollisionCallback* callback)
{
    engine_->setCollisionCallback(callback);
}

void StepCollisions(irr::scene::ISceneNode* node, irr::u32 timeMs)
{
    if (!node || !node->isVisible()) return;
    bool stepped = false;
    for (irr::scene::ISceneNodeAnimator* animator : node->getAnimators()) {
        if (animator->getType() != irr::scene::ESNAT_COLLISION_RESPONSE) continue;
        if (auto* response = dynamic_cast<TSteppedCollisionResponse*>(animator)) {
            response->Step(node, timeMs);
            stepped = true;
        }
    }
    // Only a node a step may have moved, for the steps of the nodes after it (they slide
    // along its triangles where it now stands); what it carries, and every other node, is
    // placed when the scene is next animated, before anything is drawn. Placing every node
    // here as well was a twentieth of a duel frame's instructions.
    if (stepped) node->updateAbsolutePosition();
    for (irr::scene::ISceneNode* child : node->getChildren()) StepCollisions(child, timeMs);
}
