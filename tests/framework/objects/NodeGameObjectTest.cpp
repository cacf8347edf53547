#include <stdexcept>

#include "SceneFixture.h"

using irr::core::vector3df;

namespace {

// Moves its object's node when it animates, to see the world position follow at once.
class PlaceAnimator : public TGameObjectAnimator {
public:
    int OnAnimate(TGameObject* obj, int) override
    {
        static_cast<TNodeGameObject*>(obj)->SetPosition(vector3df(7, 8, 9));
        return 0;
    }
};

// Reads the world position in its update, after its animators ran.
class ReadingObject : public TNodeGameObject {
public:
    int OnUpdate() override
    {
        seen = GetGlobalPosition();
        return 0;
    }
    vector3df seen;
};

}  // namespace

using NodeObject = SceneFixture;

TEST_F(NodeObject, BindingBeforeTheObjectHasAKeyFails)
{
    TNodeGameObject loose;
    irr::scene::ISceneNode* node = Cube(1, vector3df());
    try {
        loose.SetNodeObject(node);
        FAIL() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Object Key Not Set");
    }
    EXPECT_EQ(loose._node, nullptr);
    EXPECT_EQ(TNodeGameObject::GetKeyForNode(node), "");
}

TEST_F(NodeObject, NodeKeyIsKnownFromBindingUntilDestroy)
{
    auto object = Add<TNodeGameObject>("crate");
    irr::scene::ISceneNode* node = Cube(1, vector3df());
    EXPECT_EQ(TNodeGameObject::GetKeyForNode(node), "");
    object->SetNodeObject(node);
    EXPECT_EQ(TNodeGameObject::GetKeyForNode(node), "crate");
    EXPECT_EQ(TNodeGameObject::GetKeyForNode(nullptr), "");
    object->Destroy();
    EXPECT_EQ(TNodeGameObject::GetKeyForNode(node), "");
    EXPECT_EQ(object->_node, nullptr);
    EXPECT_EQ(state->GetGameObject("crate"), nullptr);
}


TEST_F(NodeObject, DestroyInsideAStateLeavesRemovalToTheEngine)
{
    auto object = Add<TNodeGameObject>("crate");
    irr::scene::ISceneNode* node = Cube(1, vector3df());
    node->grab();  // to look at the node after the scene let go of it
    object->SetNodeObject(node);
    state->RemoveGameObject("crate");
    EXPECT_EQ(node->getParent(), smgr->getRootSceneNode());
    smgr->drawAll();
    EXPECT_EQ(node->getParent(), nullptr);
    EXPECT_EQ(node->getReferenceCount(), 1);
    node->drop();
}

TEST_F(NodeObject, DestroyOutsideAStateRemovesTheNodeAtOnce)
{
    TNodeGameObject loose;
    loose.obj_key = "loose";  // keyed, but in no state
    irr::scene::ISceneNode* node = Cube(1, vector3df());
    node->grab();
    loose.SetNodeObject(node);
    loose.Destroy();
    EXPECT_EQ(node->getParent(), nullptr);
    EXPECT_EQ(node->getReferenceCount(), 1);
    node->drop();
}


TEST_F(NodeObject, AnimatorsRunBeforeTheWorldPositionIsRead)
{
    auto object = Add<ReadingObject>("reader");
    object->SetNodeObject(Cube(1, vector3df()));
    object->AddAnimator("place", std::make_shared<PlaceAnimator>());
    state->UpdateObjects();
    ExpectNear(object->seen, vector3df(7, 8, 9));
}

TEST_F(NodeObject, HidingKeepsTheWorldTransformCurrent)
{
    auto object = Add<TNodeGameObject>("crate");
    object->SetNodeObject(Cube(1, vector3df()));
    EXPECT_EQ(object->IsVisible(), 1);
    object->SetPosition(vector3df(4, 0, 0));
    object->SetVisible(0);
    EXPECT_EQ(object->IsVisible(), 0);
    EXPECT_FALSE(object->_node->isVisible());
    ExpectNear(object->GetGlobalPosition(), vector3df(4, 0, 0));
}


TEST_F(NodeObject, EngineAnimatorQueuedTwiceIsDetachedOnce)
{
    auto object = Add<TNodeGameObject>("crate");
    object->SetNodeObject(Cube(1, vector3df()));
    irr::scene::ISceneNodeAnimator* spin = smgr->createRotationAnimator(vector3df(0, 1, 0));
    object->_node->addAnimator(spin);
    object->QueueAnimatorForDeletion(spin);
    object->QueueAnimatorForDeletion(spin);
    EXPECT_EQ(object->_node->getAnimators().size(), 1u);
    object->OnPostUpdate();
    EXPECT_TRUE(object->_node->getAnimators().empty());
    EXPECT_TRUE(object->animatorDeleteQueue.empty());
    EXPECT_EQ(spin->getReferenceCount(), 1);  // only ours is left
    spin->drop();
}

TEST_F(NodeObject, QueuedAnimatorsAreReleasedWhenTheObjectGoes)
{
    auto object = Add<TNodeGameObject>("crate");
    object->SetNodeObject(Cube(1, vector3df()));
    irr::scene::ISceneNodeAnimator* spin = smgr->createRotationAnimator(vector3df(0, 1, 0));
    object->_node->addAnimator(spin);
    object->QueueAnimatorForDeletion(spin);
    object->Destroy();
    smgr->drawAll();
    EXPECT_EQ(spin->getReferenceCount(), 1);
    spin->drop();
}
