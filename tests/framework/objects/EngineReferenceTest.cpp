// Builds and tears down a scene of objects many times: every engine object we create and
// hand to the engine must end with the reference we kept to watch it, and no node may stay.
#include "SceneFixture.h"
#include "framework/objects/MovableGameObject.h"
#include "framework/objects/PositionCameraAnimator.h"

using irr::core::vector3df;

using EngineReferences = SceneFixture;

TEST_F(EngineReferences, RepeatedScenesLeaveNothingBehind)
{
    irr::scene::IMesh* source = smgr->getGeometryCreator()->createCubeMesh(vector3df(4, 4, 4));
    const size_t rootChildren = smgr->getRootSceneNode()->getChildren().size();

    for (int round = 0; round < 25; ++round) {
        // A wall from a private copy of the mesh, with a selector over the copy.
        irr::scene::IMesh* copy = smgr->getMeshManipulator()->createMeshCopy(source);
        irr::scene::IMeshSceneNode* wallNode = smgr->addMeshSceneNode(copy, nullptr, -1, vector3df(0, 0, 10));
        copy->drop();
        irr::scene::ITriangleSelector* selector = smgr->createTriangleSelector(copy, wallNode);
        wallNode->setTriangleSelector(selector);
        selector->drop();
        auto wall = Add<TNodeGameObject>("wall");
        wall->SetNodeObject(wallNode);

        // A mover with a camera child that an animator keeps aimed, and an engine animator
        // queued for removal.
        auto mover = Add<TMovableGameObject>("mover");
        mover->SetNodeObject(smgr->addSphereSceneNode(1));
        // Not made active: the scene manager would hold the active camera beyond its node.
        irr::scene::ICameraSceneNode* camera =
            smgr->addCameraSceneNode(mover->_node, vector3df(0, 2, 0), vector3df(0, 0, 100), -1, false);
        PositionCameraAnimator* aim = AddPositionCameraAnimator(camera);
        irr::scene::ISceneNodeAnimator* spin = smgr->createRotationAnimator(vector3df(0, 1, 0));
        mover->_node->addAnimator(spin);
        spin->drop();
        mover->QueueAnimatorForDeletion(spin);

        // Watch what the scene owns.
        copy->grab();
        selector->grab();
        aim->grab();
        spin->grab();
        EXPECT_EQ(copy->getReferenceCount(), 2);  // ours and the node's
        EXPECT_EQ(selector->getReferenceCount(), 2);
        EXPECT_EQ(aim->getReferenceCount(), 2);

        // One frame of play: a collision and the animator queue, then the scene goes.
        TGame::Framerate->speedfactor = 1.0f;
        mover->Move(0, 0, 9);
        mover->_node->updateAbsolutePosition();
        EXPECT_EQ(mover->CheckCollision(wall.get(), 0), 1);
        game->RunFrame();
        state->ClearGameObjects();
        game->RunFrame();

        EXPECT_EQ(smgr->getRootSceneNode()->getChildren().size(), rootChildren);
        EXPECT_EQ(copy->getReferenceCount(), 1);
        EXPECT_EQ(selector->getReferenceCount(), 1);
        EXPECT_EQ(aim->getReferenceCount(), 1);
        EXPECT_EQ(spin->getReferenceCount(), 1);
        copy->drop();
        selector->drop();
        aim->drop();
        spin->drop();
    }
    EXPECT_TRUE(TNodeGameObject::NodeObjectKeys.Empty());
    source->drop();
}
