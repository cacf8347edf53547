// The engine's collision response (a node kept out of a triangle world), run by the game's
// update instead of the scene's draw. The engine runs a node's animators every time the
// scene is drawn, and a split screen draws it twice a frame: a tank resting against a wall
// would be pushed once more in the second draw, so the match would depend on the view.
// Stepped once per update, the response is the same however often the scene is drawn (a
// replay draws one frame for several updates, or none).
#pragma once

#include <irrlicht.h>

class TSteppedCollisionResponse : public irr::scene::ISceneNodeAnimatorCollisionResponse {
public:
    // Wraps `engine` (grabbed), the engine's own animator for the node it is attached to.
    explicit TSteppedCollisionResponse(irr::scene::ISceneNodeAnimatorCollisionResponse* engine);
    ~TSteppedCollisionResponse() override;

    // The scene's draw: nothing.
    void animateNode(irr::scene::ISceneNode* node, irr::u32 timeMs) override;
    // The update: the engine's response, once.
    void Step(irr::scene::ISceneNode* node, irr::u32 timeMs);

    irr::scene::ISceneNodeAnimator* createClone(irr::scene::ISceneNode* node,
                                                irr::scene::ISceneManager* newManager = 0) override;
    irr::scene::ESCENE_NODE_ANIMATOR_TYPE getType() const override;

    bool isFalling() const override;
    void setEllipsoidRadius(const irr::core::vector3df& radius) override;
    irr::core::vector3df getEllipsoidRadius() const override;
    void setGravity(const irr::core::vector3df& gravity) override;
    irr::core::vector3df getGravity() const override;
    void jump(irr::f32 jumpSpeed) override;
    void setAnimateTarget(bool enable) override;
    bool getAnimateTarget() const override;
    void setEllipsoidTranslation(const irr::core::vector3df& translation) override;
    irr::core::vector3df getEllipsoidTranslation() const override;
    void setWorld(irr::scene::ITriangleSelector* newWorld) override;
    irr::scene::ITriangleSelector* getWorld() const override;
    void setTargetNode(irr::scene::ISceneNode* node) override;
    irr::scene::ISceneNode* getTargetNode() const override;
    bool collisionOccurred() const override;
    const irr::core::vector3df& getCollisionPoint() const override;
    const irr::core::triangle3df& getCollisionTriangle() const override;
    const irr::core::vector3df& getCollisionResultPosition() const override;
    irr::scene::ISceneNode* getCollisionNode() const override;
    void setCollisionCallback(irr::scene::ICollisionCallback* callback) override;

private:
    irr::scene::ISceneNodeAnimatorCollisionResponse* engine_;
};

// What the scene's draw does to the nodes, without drawing: every visible node from `root`
// down, parents first, runs its stepped collision responses (in the order they were added);
// each node they ran on takes its new place in the world at once (what it carries, and
// every other node, when the scene is next animated). Called once per update, after
// everything moved.
void StepCollisions(irr::scene::ISceneNode* root, irr::u32 timeMs);
