#include "SceneFixture.h"
#include "framework/objects/PositionCameraAnimator.h"

using irr::core::vector3df;

using PositionCameraFixture = SceneFixture;

TEST_F(PositionCameraFixture, CameraTurnedQuarterRightLooksDownPlusX)
{
    irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, vector3df(), vector3df(0, 0, 100));
    camera->setRotation(vector3df(0, 90, 0));
    camera->updateAbsolutePosition();
    PositionCamera(camera);
    ExpectNear(camera->getTarget(), vector3df(1000, 0, 0), 1e-2f);
    ExpectNear(camera->getUpVector(), vector3df(0, 1, 0));
}

TEST_F(PositionCameraFixture, RollTiltsTheUpVectorAndTargetFollowsTheWorldTransform)
{
    // The turret is turned a quarter right: the target follows the turn, while the up
    // vector comes from the camera's own rotation alone (the roll), not the world one.
    irr::scene::ISceneNode* turret = smgr->addEmptySceneNode();
    turret->setPosition(vector3df(10, 0, 0));
    turret->setRotation(vector3df(0, 90, 0));
    turret->updateAbsolutePosition();
    irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(turret, vector3df(0, 5, 0));
    camera->setRotation(vector3df(0, 0, 90));
    camera->updateAbsolutePosition();
    PositionCamera(camera);
    ExpectNear(camera->getUpVector(), vector3df(-1, 0, 0));
    ExpectNear(camera->getTarget(), vector3df(1010, 5, 0), 1e-2f);
}

TEST_F(PositionCameraFixture, AnimatorAimsTheCameraWhileTheSceneIsAnimated)
{
    irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, vector3df(), vector3df(0, 0, 100));
    PositionCameraAnimator* animator = AddPositionCameraAnimator(camera);
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->getReferenceCount(), 1);  // the camera's
    ASSERT_EQ(camera->getAnimators().size(), 1u);
    EXPECT_EQ(*camera->getAnimators().begin(), animator);

    camera->setRotation(vector3df(0, -90, 0));
    camera->updateAbsolutePosition();
    smgr->drawAll();
    ExpectNear(camera->getTarget(), vector3df(-1000, 0, 0), 1e-2f);
}

TEST_F(PositionCameraFixture, AnimatorAimsAgainWhenTheCameraMovesTurnsOrIsAimedElsewhere)
{
    irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, vector3df(), vector3df(0, 0, 100));
    AddPositionCameraAnimator(camera);
    smgr->drawAll();
    ExpectNear(camera->getTarget(), vector3df(0, 0, 1000), 1e-2f);

    camera->setPosition(vector3df(5, 0, 0));  // moved: the world transform differs
    camera->updateAbsolutePosition();
    smgr->drawAll();
    ExpectNear(camera->getTarget(), vector3df(5, 0, 1000), 1e-2f);

    camera->setRotation(vector3df(0, 0, 90));  // turned: a new up vector
    camera->updateAbsolutePosition();
    smgr->drawAll();
    ExpectNear(camera->getUpVector(), vector3df(-1, 0, 0));

    camera->setTarget(vector3df(0, 0, 0));  // aimed elsewhere by hand: the animator puts it back
    camera->setUpVector(vector3df(0, 1, 0));
    smgr->drawAll();
    ExpectNear(camera->getTarget(), vector3df(5, 0, 1000), 1e-2f);
    ExpectNear(camera->getUpVector(), vector3df(-1, 0, 0));
}

TEST_F(PositionCameraFixture, ClonedNodeGetsItsOwnAnimator)
{
    irr::scene::ISceneNode* mount = smgr->addEmptySceneNode();
    PositionCameraAnimator* original = AddPositionCameraAnimator(mount);
    irr::scene::ISceneNode* copy = mount->clone();
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->getAnimators().size(), 1u);
    irr::scene::ISceneNodeAnimator* cloned = *copy->getAnimators().begin();
    EXPECT_NE(cloned, original);
    EXPECT_NE(dynamic_cast<PositionCameraAnimator*>(cloned), nullptr);
    EXPECT_EQ(cloned->getReferenceCount(), 1);  // the copy's
}
