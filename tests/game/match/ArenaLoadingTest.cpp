// Loading the arena: the tank models and their children, the collision animators, the
// private mesh copies that recolor alone, and the loaders' bookkeeping.
#include <stdexcept>

#include "tests/support/ArenaFixture.h"
#include "framework/GameResource.h"
#include "framework/GameView.h"

using irr::core::vector3df;
using irr::video::SColor;

namespace {

irr::scene::IMesh* MeshOf(irr::scene::ISceneNode* node)
{
    return static_cast<irr::scene::IMeshSceneNode*>(node)->getMesh();
}

std::vector<SColor> VertexColors(irr::scene::IMesh* mesh)
{
    std::vector<SColor> colors;
    for (irr::u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        irr::scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
        auto* vertices = static_cast<irr::video::S3DVertex*>(buffer->getVertices());
        for (irr::u32 i = 0; i < buffer->getVertexCount(); ++i) colors.push_back(vertices[i].Color);
    }
    return colors;
}

bool AllOf(const std::vector<SColor>& colors, SColor color)
{
    for (const SColor& c : colors)
        if (c != color) return false;
    return !colors.empty();
}

std::vector<irr::scene::ISceneNodeAnimatorCollisionResponse*> CollisionResponses(irr::scene::ISceneNode* node)
{
    std::vector<irr::scene::ISceneNodeAnimatorCollisionResponse*> found;
    for (irr::scene::ISceneNodeAnimator* animator : node->getAnimators())
        if (animator->getType() == irr::scene::ESNAT_COLLISION_RESPONSE)
            found.push_back(static_cast<irr::scene::ISceneNodeAnimatorCollisionResponse*>(animator));
    return found;
}

}  // namespace

class TankModel : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        game->SetCurrentColorScheme(0);  // whose colors call for no outline
        EnterArena();
        Frame();
    }
};

TEST_F(TankModel, ChildrenAreOutlineCameraMuzzleInThatOrder)
{
    struct Expected {
        const char* key;
        vector3df camera, muzzle, start;
    };
    const Expected tanks[] = {{"tank1", {0, 1.3f, -1.05f}, {0, 0.425f, 0.67f}, {16.5f, 0, 0}},
                              {"tank2", {0, 1.45f, -1.1f}, {0, 0.35f, 0.67f}, {-17, 0, 0}}};
    for (const Expected& expected : tanks) {
        SCOPED_TRACE(expected.key);
        auto tank = Tank(expected.key);
        ASSERT_NE(tank, nullptr);
        EXPECT_TRUE(tank->GetPosition().equals(expected.start));
        ASSERT_EQ(tank->_node->getChildren().size(), 3u);
        irr::scene::ISceneNode* outline = ChildAt(tank->_node, 0);
        irr::scene::ISceneNode* camera = ChildAt(tank->_node, 1);
        irr::scene::ISceneNode* muzzle = ChildAt(tank->_node, 2);
        EXPECT_EQ(outline->getType(), irr::scene::ESNT_MESH);
        EXPECT_FALSE(outline->isVisible());
        EXPECT_TRUE(outline->getScale().equals(vector3df(1.01f, 1.01f, 1.01f)));
        EXPECT_EQ(camera, tank->cam);
        EXPECT_EQ(camera->getType(), irr::scene::ESNT_CAMERA);
        EXPECT_TRUE(camera->getPosition().equals(expected.camera));
        EXPECT_EQ(muzzle->getType(), irr::scene::ESNT_EMPTY);
        EXPECT_TRUE(muzzle->getPosition().equals(expected.muzzle));
        EXPECT_NE(tank->GetAnimator("maintain_y"), nullptr);
        EXPECT_NE(tank->GetAnimator("cam_anim"), nullptr);
        EXPECT_NE(tank->GetAnimator("min_dist_anim"), nullptr);
    }
}

TEST_F(TankModel, StartPositionsFaceEachOther)
{
    auto forward = [](const std::shared_ptr<TTank>& tank) {
        vector3df f(0, 0, 1);
        tank->_node->getAbsoluteTransformation().rotateVect(f);
        return f;
    };
    EXPECT_TRUE(forward(Tank("tank2")).equals(vector3df(1, 0, 0), 1e-4f));
    EXPECT_TRUE(forward(Tank("tank1")).equals(vector3df(-1, 0, 0), 1e-4f));
}

TEST_F(TankModel, ModelsAreUnlitAndCarryTheirTriangleSelectors)
{
    for (const char* key : {"tank1", "tank2", "arena"}) {
        SCOPED_TRACE(key);
        auto object = arena->GetGameObjectAs<TNodeGameObject>(key);
        ASSERT_NE(object, nullptr);
        EXPECT_FALSE(object->_node->getMaterial(0).Lighting);
        EXPECT_NE(object->_node->getTriangleSelector(), nullptr);
    }
}

class CollisionAnimators : public TankModel {
};

TEST_F(CollisionAnimators, RebuildingTwiceLeavesTwoPerTankAndOneDistanceAnimator)
{
    auto tank1 = Tank("tank1");
    auto tank2 = Tank("tank2");
    auto distance1 = tank1->GetAnimator("min_dist_anim");
    auto distance2 = tank2->GetAnimator("min_dist_anim");
    arena->RebuildCollisionAnimators();
    arena->RebuildCollisionAnimators();
    for (const auto& tank : {tank1, tank2}) {
        SCOPED_TRACE(tank->obj_key);
        EXPECT_EQ(CollisionResponses(tank->_node).size(), 2u);
        int distanceAnimators = 0;
        tank->animators.ForEach([&](const std::string&, const std::shared_ptr<TGameObjectAnimator>& animator) {
            if (std::dynamic_pointer_cast<TankMinimumDistanceAnimator>(animator)) ++distanceAnimators;
        });
        EXPECT_EQ(distanceAnimators, 1);
    }
    EXPECT_EQ(tank1->GetAnimator("min_dist_anim"), distance1) << "kept, not replaced";
    EXPECT_EQ(tank2->GetAnimator("min_dist_anim"), distance2);
    EXPECT_EQ(std::dynamic_pointer_cast<TankMinimumDistanceAnimator>(distance1)->from_key, "tank2");
    EXPECT_EQ(std::dynamic_pointer_cast<TankMinimumDistanceAnimator>(distance2)->from_key, "tank1");
}

TEST_F(CollisionAnimators, EachTankMeetsTheArenaAndTheOtherTankWithItsOwnRadius)
{
    irr::scene::ITriangleSelector* walls = ArenaObject()->_node->getTriangleSelector();
    auto tank1 = Tank("tank1");
    auto tank2 = Tank("tank2");
    struct Expected {
        std::shared_ptr<TTank> tank;
        irr::scene::ITriangleSelector* other;
        vector3df radius;
    };
    for (const Expected& e : {Expected{tank1, tank2->_node->getTriangleSelector(), {1, 5, 1}},
                              Expected{tank2, tank1->_node->getTriangleSelector(), {1.25f, 5, 1.25f}}}) {
        SCOPED_TRACE(e.tank->obj_key);
        auto found = CollisionResponses(e.tank->_node);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(found[0]->getWorld(), walls);
        EXPECT_EQ(found[1]->getWorld(), e.other);
        for (auto* animator : found) {
            EXPECT_TRUE(animator->getEllipsoidRadius().equals(e.radius));
            EXPECT_TRUE(animator->getGravity().equals(vector3df(0, 0, 0)));
        }
    }
}

TEST_F(CollisionAnimators, OtherNodeAnimatorsSurviveARebuild)
{
    auto tank1 = Tank("tank1");
    irr::scene::ISceneNodeAnimator* spin = arena->smgr->createRotationAnimator(vector3df(0, 0, 0));
    tank1->_node->addAnimator(spin);
    spin->drop();
    arena->RebuildCollisionAnimators();
    bool kept = false;
    for (irr::scene::ISceneNodeAnimator* animator : tank1->_node->getAnimators()) kept = kept || animator == spin;
    EXPECT_TRUE(kept);
}

class Recoloring : public TankModel {
};

TEST_F(Recoloring, OneTankChangesAloneNotItsOutlineNorTheOthersNorTheLoadedMesh)
{
    auto tank1 = Tank("tank1");
    auto tank2 = Tank("tank2");
    const auto otherTank = VertexColors(MeshOf(tank2->_node));
    const auto walls = VertexColors(MeshOf(ArenaObject()->_node));
    const auto outline = VertexColors(MeshOf(ChildAt(tank1->_node, 0)));
    auto loaded = arena->GetGameResourceAs<TMeshResource>("sleek_tank_model")->GetResource()->getMesh(0);
    const auto original = VertexColors(loaded);

    const SColor paint(255, 10, 20, 30);
    tank1->SetColor(arena->smgr, paint);
    EXPECT_TRUE(AllOf(VertexColors(MeshOf(tank1->_node)), SColor(0, 10, 20, 30)));
    EXPECT_EQ(tank1->color, paint);
    EXPECT_EQ(VertexColors(MeshOf(tank2->_node)), otherTank);
    EXPECT_EQ(VertexColors(MeshOf(ArenaObject()->_node)), walls);
    EXPECT_EQ(VertexColors(MeshOf(ChildAt(tank1->_node, 0))), outline);
    EXPECT_EQ(VertexColors(loaded), original);
}

TEST_F(Recoloring, ModelsArePlacedInTheSchemeColorsWithAlphaZero)
{
    auto expect = [&](irr::scene::ISceneNode* node, const char* key) {
        SColor color = game->CurrentColorScheme->GetColor(key);
        color.setAlpha(0);
        EXPECT_TRUE(AllOf(VertexColors(MeshOf(node)), color)) << key;
    };
    expect(Tank("tank1")->_node, "Tank1");
    expect(Tank("tank2")->_node, "Tank2");
    expect(ArenaObject()->_node, "Arena");
    expect(ChildAt(Tank("tank1")->_node, 0), "Tank1");
    EXPECT_EQ(Tank("tank1")->color, game->CurrentColorScheme->GetColor("Tank1"));
}

TEST_F(Recoloring, ArenaRecolorsItsMeshButNotItsOutline)
{
    const auto outline = VertexColors(MeshOf(ChildAt(ArenaObject()->_node, 0)));
    ArenaObject()->SetColor(arena->smgr, SColor(255, 1, 2, 3));
    EXPECT_TRUE(AllOf(VertexColors(MeshOf(ArenaObject()->_node)), SColor(0, 1, 2, 3)));
    EXPECT_EQ(VertexColors(MeshOf(ChildAt(ArenaObject()->_node, 0))), outline);
}

class ArenaLoaders : public TankModel {
};

TEST_F(ArenaLoaders, LoadingAgainReplacesInsteadOfDuplicating)
{
    const size_t rootChildren = arena->smgr->getRootSceneNode()->getChildren().size();
    auto before = Tank("tank1");
    arena->LoadTanks();
    arena->LoadArena2();
    Frame();  // removed nodes leave the scene at the end of the next draw
    EXPECT_NE(Tank("tank1"), before);
    EXPECT_EQ(arena->GetGameObjects("TTank").size(), 2u);
    EXPECT_EQ(arena->GetGameObjects("TArena").size(), 1u);
    EXPECT_EQ(arena->smgr->getRootSceneNode()->getChildren().size(), rootChildren);
}

TEST_F(ArenaLoaders, MissingMeshIsReportedByKey)
{
    arena->RemoveGameResource("arena1_model");
    try {
        arena->LoadArena1();
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unable to load arena1_model");
    }
    EXPECT_THROW(arena->AddCelMesh(ChildAt(Tank("tank1")->_node, 2), vector3df(1, 1, 1)), std::runtime_error);
}

TEST_F(ArenaLoaders, DisablingNothingSetsNoFlag)
{
    Tank("tank1")->SetDisabled(1);
    arena->SetTanksDisabled(0);
    EXPECT_FALSE(arena->HasFlag("tanks_disabled"));
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 1) << "an unset flag reads 0: nothing to change";
    arena->SetTanksDisabled(1);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
}

TEST_F(ArenaLoaders, ResetKeepsTheCurrentViewOrNone)
{
    arena->SetGameView("split");
    arena->ResetArena();
    EXPECT_EQ(arena->currentGameView, "split");
    auto split = arena->GetCurrentGameView();
    ASSERT_NE(split, nullptr);
    ASSERT_EQ(split->cameras.size(), 2u);
    EXPECT_EQ(split->cameras[0], Tank("tank1")->cam) << "the new tanks' cameras";
    EXPECT_EQ(split->cameras[1], Tank("tank2")->cam);

    arena->SetGameView("");
    arena->ResetArena();
    EXPECT_EQ(arena->GetCurrentGameView(), nullptr);
    Frames(2);
}
