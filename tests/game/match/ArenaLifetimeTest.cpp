// Entering and leaving the arena again and again: every match gives back what it took,
// game objects, scene nodes, mesh copies, selectors, engine animators and sound voices.
#include "tests/support/ArenaFixture.h"
#include "framework/GameResource.h"
#include "sound/Sound.h"
#include "sound/SoundDevice.h"

namespace {

// Engine objects of one match, held so that their last reference can be seen. They come
// in layers, each holding the next: the models' nodes; their children and engine
// animators; the meshes and triangle selectors.
struct Held {
    enum Layer { kNodes, kOwnedByNodes, kShared, kLayers };
    std::vector<irr::IReferenceCounted*> layers[kLayers];

    void Grab(Layer layer, irr::IReferenceCounted* object)
    {
        if (!object) return;
        object->grab();
        layers[layer].push_back(object);
    }
    // How many of them anybody but us still holds, looked at layer by layer: once we let
    // go of one layer, the next must have nobody else.
    int StillUsed()
    {
        int used = 0;
        for (auto& layer : layers) {
            for (irr::IReferenceCounted* object : layer)
                if (object->getReferenceCount() > 1) ++used;
            Drop(layer);
        }
        return used;
    }
    void DropAll()
    {
        for (auto& layer : layers) Drop(layer);
    }
    static void Drop(std::vector<irr::IReferenceCounted*>& list)
    {
        for (irr::IReferenceCounted* object : list) object->drop();
        list.clear();
    }
};

}  // namespace

class ArenaLifetime : public ArenaTest {
protected:
    void TearDown() override
    {
        held.DropAll();
        ArenaTest::TearDown();
    }

    // One short match: both tanks drive and fire, then Escape.
    void PlayAndLeave()
    {
        EnterArena();
        Press(irr::KEY_UP);
        Press(irr::KEY_KEY_X);
        Frames(3);
        Press(irr::KEY_RETURN);
        Press(irr::KEY_TAB);
        Frames(3);
        for (const char* key : {"tank1", "tank2", "arena"}) {
            auto object = arena->GetGameObjectAs<TNodeGameObject>(key);
            objects.push_back(object);
            auto* node = static_cast<irr::scene::IMeshSceneNode*>(object->_node);
            held.Grab(Held::kNodes, node);
            held.Grab(Held::kOwnedByNodes, ChildAt(node, 0));
            for (irr::scene::ISceneNodeAnimator* animator : node->getAnimators())
                held.Grab(Held::kOwnedByNodes, animator);
            held.Grab(Held::kShared, node->getMesh());
            held.Grab(Held::kShared, node->getTriangleSelector());
        }
        for (const char* key : {"tank1_shell", "tank2_shell", "player1", "player2", "player1_key_controller"})
            objects.push_back(arena->GetGameObject(key));
        for (const char* key : {"tank1", "tank2"}) {
            // The shot's one-shot sound would play on for a moment after the match.
            if (auto tank = Tank(key); tank && tank->shot_channel) tank->shot_channel->Stop();
        }
        Release(irr::KEY_UP);
        Release(irr::KEY_KEY_X);
        Release(irr::KEY_RETURN);
        Release(irr::KEY_TAB);
        Press(27);
        Frame();
        Release(27);
        ASSERT_EQ(Current(), "TitleScreen");
        Frame();
    }

    Held held;
    std::vector<std::weak_ptr<TGameObject>> objects;
};

TEST_F(ArenaLifetime, FiftyMatchesLeaveNothingBehind)
{
    irr::scene::ISceneManager* smgr = game->device->getSceneManager();
    const int voices = SoundDevice::GetVoicesInUse();
    const size_t nodeKeys = TNodeGameObject::NodeObjectKeys.Size();

    PlayAndLeave();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const irr::u32 cachedMeshes = smgr->getMeshCache()->getMeshCount();
    irr::scene::IAnimatedMesh* loaded = smgr->getMeshCache()->getMeshByName("media/tank.3ds");
    ASSERT_NE(loaded, nullptr);
    const irr::s32 loadedReferences = loaded->getReferenceCount();

    for (int match = 1; match < 50; ++match) {
        SCOPED_TRACE(match);
        PlayAndLeave();
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        ASSERT_EQ(held.StillUsed(), 0) << "engine objects of the match still held";
        int alive = 0;
        for (const auto& object : objects) alive += object.expired() ? 0 : 1;
        ASSERT_EQ(alive, 0) << "game objects of the match still alive";
        ASSERT_TRUE(smgr->getRootSceneNode()->getChildren().empty());
        ASSERT_EQ(smgr->getMeshCache()->getMeshCount(), cachedMeshes);
        ASSERT_EQ(loaded->getReferenceCount(), loadedReferences);
        ASSERT_EQ(TNodeGameObject::NodeObjectKeys.Size(), nodeKeys);
        ASSERT_EQ(SoundDevice::GetVoicesInUse(), voices);
        held.DropAll();
        objects.clear();
    }
}
