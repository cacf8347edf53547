#include <cmath>

#include "SceneFixture.h"
#include "framework/objects/MovableGameObject.h"
#include "framework/objects/MovableGameObjectController.h"

using irr::core::vector3df;

using MovableObject = SceneFixture;

TEST_F(MovableObject, MoveScalesWithSpeedFactor)
{
    auto slow = Add<TMovableGameObject>("slow");
    auto fast = Add<TMovableGameObject>("fast");
    slow->SetNodeObject(Cube(1, vector3df()));
    fast->SetNodeObject(Cube(1, vector3df()));
    TGame::Framerate->speedfactor = 1.0f;
    slow->Move(0, 0, 1);
    TGame::Framerate->speedfactor = 2.0f;
    fast->Move(0, 0, 1);
    ExpectNear(slow->GetPosition(), vector3df(0, 0, 1));
    ExpectNear(fast->GetPosition(), vector3df(0, 0, 2));
}

TEST_F(MovableObject, MoveGoesAlongTheNodesOwnAxes)
{
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df(0, 0, 5)));
    tank->Turn(0, 90, 0);
    tank->Move(0, 0, 1);
    ExpectNear(tank->GetPosition(), vector3df(1, 0, 5));
    tank->Move(0, 1, 0);
    ExpectNear(tank->GetPosition(), vector3df(1, 1, 5));
}


TEST_F(MovableObject, TurnByNinetyDegreesOfYaw)
{
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df()));
    tank->Turn(0, 90, 0);
    ExpectNear(tank->GetRotation(), vector3df(0, 90, 0), 1e-2f);
}


TEST_F(MovableObject, HeadingFollowsTheTurnsWhateverAngleTripleTheRotationHolds)
{
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df()));
    TGame::Framerate->speedfactor = 1.0f;
    // Past 90 degrees the engine gives the yaw back as (180, 180 - yaw, 180).
    float expected = 0.0f;
    bool sawTriple = false;
    for (int step = 0; step < 60; ++step) {
        tank->Turn(0, 7, 0);
        expected = std::fmod(expected + 7.0f, 360.0f);
        sawTriple = sawTriple || std::fabs(tank->GetRotation().X) > 90.0f;
        const float heading = tank->GetHeading();
        EXPECT_NEAR(std::remainder(heading - expected, 360.0f), 0.0f, 0.05f) << "after " << step + 1 << " turns";
        EXPECT_GE(heading, 0.0f);
        EXPECT_LT(heading, 360.0f);
    }
    EXPECT_TRUE(sawTriple) << "the rotation never took the equivalent form this is about";
}

TEST_F(MovableObject, TurnYawsBeforeItPitches)
{
    // Yaw first takes +Z to +X; the pitch about the node's own X axis then leaves it there.
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df()));
    tank->Turn(90, 90, 0);
    tank->Move(0, 0, 1);
    ExpectNear(tank->GetPosition(), vector3df(1, 0, 0));
}

TEST_F(MovableObject, TurnAddsToTheCurrentOrientationInTheNodesFrame)
{
    // Pitched down by 90, the node's own yaw axis lies along world Z: yawing then swings
    // the nose within the XY plane instead of around world Y.
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df()));
    tank->Turn(90, 0, 0);
    tank->Move(0, 0, 1);
    const vector3df pitched = tank->GetPosition();
    EXPECT_NEAR(pitched.Z, 0.0f, 1e-3f);
    EXPECT_NEAR(std::abs(pitched.Y), 1.0f, 1e-3f);
    tank->SetPosition(vector3df());
    tank->Turn(0, 90, 0);
    tank->Move(0, 0, 1);
    const vector3df turned = tank->GetPosition();
    EXPECT_NEAR(std::abs(turned.X), 1.0f, 1e-3f);
    EXPECT_NEAR(turned.Y, 0.0f, 1e-3f);
    EXPECT_NEAR(turned.Z, 0.0f, 1e-3f);
}

TEST_F(MovableObject, VelocityIsZeroRightAfterBinding)
{
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df(3, 4, 5)));
    ExpectNear(tank->GetVelocity(), vector3df());
    ExpectNear(tank->GetDirection(), vector3df());
    ExpectNear(tank->GetLastGlobalPosition(), vector3df(3, 4, 5));
    ExpectNear(tank->GetLastPosition(), vector3df(3, 4, 5));
}

TEST_F(MovableObject, VelocityIsTheWorldDisplacementSinceTheLastPostUpdate)
{
    auto tank = Add<TMovableGameObject>("tank");
    tank->SetNodeObject(Cube(1, vector3df()));
    tank->SetPosition(vector3df(0, 3, 4));
    tank->_node->updateAbsolutePosition();
    ExpectNear(tank->GetVelocity(), vector3df(0, 3, 4));
    ExpectNear(tank->GetDirection(), vector3df(0, 0.6f, 0.8f));
    tank->OnPostUpdate();
    ExpectNear(tank->GetVelocity(), vector3df());
    ExpectNear(tank->GetLastPosition(), vector3df(0, 3, 4));
}



TEST_F(MovableObject, ControllerFindsItsTargetInItsOwnState)
{
    TMovableGameObjectController free;
    free.SetTarget("tank");
    EXPECT_EQ(free.GetTarget(), nullptr);

    auto tank = Add<TMovableGameObject>("tank");
    auto controller = Add<TMovableGameObjectController>("controller");
    EXPECT_EQ(controller->GetTarget(), nullptr);
    controller->SetTarget("tank");
    EXPECT_EQ(controller->target_key, "tank");
    EXPECT_EQ(controller->GetTarget(), tank);
    controller->SetTarget("nobody");
    EXPECT_EQ(controller->GetTarget(), nullptr);
}
