#include <stdexcept>

#include "SceneFixture.h"
#include "framework/objects/MovableGameObject.h"

using irr::core::vector3df;

namespace {

class CollisionFixture : public SceneFixture {
protected:
    // A unit sphere mover at position, and a wall: a cube of size 10 centred at (0,0,20),
    // its near face at z = 15, with a triangle selector.
    void Build(const vector3df& moverAt = vector3df())
    {
        mover = Add<TMovableGameObject>("mover");
        mover->SetNodeObject(Sphere(1, moverAt));
        wall = Add<TNodeGameObject>("wall");
        irr::scene::IMeshSceneNode* node = Cube(10, vector3df(0, 0, 20));
        GiveSelector(node);
        wall->SetNodeObject(node);
    }

    // Moves the mover within this frame, as Move does, and brings its world position up to date.
    void MoveTo(const vector3df& position)
    {
        mover->SetPosition(position);
        mover->_node->updateAbsolutePosition();
    }

    // Ends the frame for the mover: what it reached becomes its last position.
    void EndFrame() { mover->OnPostUpdate(); }

    std::shared_ptr<TMovableGameObject> mover;
    std::shared_ptr<TNodeGameObject> wall;
};

}  // namespace

using EllipsoidCollision = CollisionFixture;
using BoxCollision = CollisionFixture;
using CollisionModes = CollisionFixture;

TEST_F(EllipsoidCollision, StandingStillTestsNothingEvenWithoutASelector)
{
    Build();
    auto bare = Add<TNodeGameObject>("bare");
    bare->SetNodeObject(Cube(10, vector3df(0, 0, 2)));
    EXPECT_EQ(mover->CheckCollision(bare.get(), 0), 0);
    EXPECT_EQ(mover->CheckCollision(nullptr, 0), 0);
    EXPECT_EQ(mover->lastCollision, nullptr);
}

TEST_F(EllipsoidCollision, MovingAgainstANodeWithoutASelectorFails)
{
    Build();
    auto bare = Add<TNodeGameObject>("bare");
    bare->SetNodeObject(Cube(10, vector3df(0, 0, 20)));
    MoveTo(vector3df(0, 0, 1));
    try {
        mover->CheckCollision(bare.get(), 0);
        FAIL() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "No Triangle Selector");
    }
}

TEST_F(EllipsoidCollision, SphereMovingIntoAWallHitsItsNearFace)
{
    Build();
    MoveTo(vector3df(0, 0, 14));
    ASSERT_EQ(mover->CheckCollision(wall.get(), 0), 1);
    auto hit = std::dynamic_pointer_cast<TEllipsoidPolyStaticCollisionInfo>(mover->lastCollision);
    ASSERT_NE(hit, nullptr);
    const irr::core::triangle3df& tri = hit->collision_tri;
    EXPECT_NEAR(tri.pointA.Z, 15.0f, 1e-3f);
    EXPECT_NEAR(tri.pointB.Z, 15.0f, 1e-3f);
    EXPECT_NEAR(tri.pointC.Z, 15.0f, 1e-3f);
    // The response stops the sphere with its surface at the wall.
    EXPECT_NEAR(hit->result_pos.Z, 14.0f, 0.01f);
    EXPECT_NEAR(hit->result_pos.X, 0.0f, 1e-3f);
    ExpectNear(hit->out_point, (tri.pointA + tri.pointB + tri.pointC) / 3.0f);
    EXPECT_EQ(hit->falling, 0);
}

TEST_F(EllipsoidCollision, MissingKeepsTheLastHit)
{
    Build();
    MoveTo(vector3df(0, 0, 14));
    ASSERT_EQ(mover->CheckCollision(wall.get(), 0), 1);
    const std::shared_ptr<TCollisionInfo> hit = mover->lastCollision;
    EndFrame();
    MoveTo(vector3df(0, 0, 6));  // backing away from the wall
    EXPECT_EQ(mover->CheckCollision(wall.get(), 0), 0);
    EXPECT_EQ(mover->lastCollision, hit);
}



TEST_F(EllipsoidCollision, WallMovedThisFrameIsTestedWhereItIsNow)
{
    Build();
    wall->SetPosition(vector3df(0, 0, 8));  // near face now at z = 3, not yet drawn
    MoveTo(vector3df(0, 0, 4));
    EXPECT_EQ(mover->CheckCollision(wall.get(), 0), 1);
}

TEST_F(EllipsoidCollision, TriangleWithACornerAtTheOriginStillCounts)
{
    // One triangle in the plane z = 0 with its first corner at the origin, facing -Z.
    auto* buffer = new irr::scene::SMeshBuffer();
    const irr::video::SColor white(255, 255, 255, 255);
    buffer->Vertices.push_back(irr::video::S3DVertex(0, 0, 0, 0, 0, -1, white, 0, 0));
    buffer->Vertices.push_back(irr::video::S3DVertex(0, 10, 0, 0, 0, -1, white, 0, 1));
    buffer->Vertices.push_back(irr::video::S3DVertex(10, 0, 0, 0, 0, -1, white, 1, 0));
    for (irr::u16 i : {0, 1, 2}) buffer->Indices.push_back(i);
    buffer->recalculateBoundingBox();
    auto* mesh = new irr::scene::SMesh();
    mesh->addMeshBuffer(buffer);
    buffer->drop();
    mesh->recalculateBoundingBox();
    irr::scene::IMeshSceneNode* node = smgr->addMeshSceneNode(mesh);
    mesh->drop();
    GiveSelector(node);
    auto pane = Add<TNodeGameObject>("pane");
    pane->SetNodeObject(node);

    auto mover = Add<TMovableGameObject>("mover");
    mover->SetNodeObject(Sphere(1, vector3df(2, 2, -5)));
    mover->SetPosition(vector3df(2, 2, 3));
    mover->_node->updateAbsolutePosition();
    ASSERT_EQ(mover->CheckCollision(pane.get(), 0), 1);
    auto hit = std::dynamic_pointer_cast<TEllipsoidPolyStaticCollisionInfo>(mover->lastCollision);
    ASSERT_NE(hit, nullptr);
    ExpectNear(hit->collision_tri.pointA, vector3df(0, 0, 0));
    ExpectNear(hit->out_point, vector3df(10.0f / 3, 10.0f / 3, 0));
}


TEST_F(BoxCollision, BoxesSharingAFaceCollideAndApartDoNot)
{
    mover = Add<TMovableGameObject>("mover");
    mover->SetNodeObject(Cube(10, vector3df(0, 0, 0)));
    auto neighbour = Add<TNodeGameObject>("neighbour");
    neighbour->SetNodeObject(Cube(10, vector3df(10, 0, 0)));
    ASSERT_EQ(mover->CheckCollision(neighbour.get(), 1), 1);
    const std::shared_ptr<TCollisionInfo> hit = mover->lastCollision;
    EXPECT_NE(std::dynamic_pointer_cast<TBoxBoxCollisionInfo>(hit), nullptr);
    neighbour->SetPosition(vector3df(10.5f, 0, 0));
    neighbour->_node->updateAbsolutePosition();
    EXPECT_EQ(mover->CheckCollision(neighbour.get(), 1), 0);
    EXPECT_EQ(mover->lastCollision, hit);
}


TEST_F(CollisionModes, OtherModesReportNothing)
{
    Build();
    auto overlapping = Add<TNodeGameObject>("overlapping");
    overlapping->SetNodeObject(Cube(10, vector3df()));
    MoveTo(vector3df(0, 0, 30));
    EXPECT_EQ(mover->CheckCollision(overlapping.get(), 2), 0);
    EXPECT_EQ(mover->CheckCollision(wall.get(), -1), 0);
    EXPECT_EQ(mover->lastCollision, nullptr);
}
