// Views drawn in a real OpenGL window: each camera's pass has that camera active and its
// own viewport, and a frame after the views draws on the whole screen again. A node in the
// scene asks the driver for its viewport while the scene is drawn.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <memory>
#include <vector>

#include "framework/Game.h"
#include "framework/GameState.h"
#include "framework/GameView.h"
#include "framework/SplitView.h"

using irr::core::recti;

namespace {

struct Pass {
    irr::scene::ICameraSceneNode* camera;
    recti viewport;
};

// Draws nothing; notes the active camera and the driver's viewport each time it is drawn.
class PassRecorder : public irr::scene::ISceneNode {
public:
    PassRecorder(irr::scene::ISceneManager* smgr) : ISceneNode(smgr->getRootSceneNode(), smgr)
    {
        setAutomaticCulling(irr::scene::EAC_OFF);
    }
    void OnRegisterSceneNode() override
    {
        if (IsVisible) SceneManager->registerNodeForRendering(this);
        ISceneNode::OnRegisterSceneNode();
    }
    void render() override
    {
        passes.push_back({SceneManager->getActiveCamera(), SceneManager->getVideoDriver()->getViewPort()});
    }
    const irr::core::aabbox3df& getBoundingBox() const override { return box_; }

    std::vector<Pass> passes;

private:
    irr::core::aabbox3df box_{-1, -1, -1, 1, 1, 1};
};

class WindowViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        TGame::InitClassData();
        game = std::make_unique<TGame>();
        TGame::AddGameState("s", state);
        TGame::SetGameState("s");
        ASSERT_EQ(game->InitGraphics(800, 600, 16, irr::video::EDT_OPENGL), 1)
            << "needs an X display: run it through tests/framework/window/with_xvfb.sh";
        smgr = state->smgr;
        recorder = new PassRecorder(smgr);
        recorder->drop();  // the scene holds it
        sceneCamera = smgr->addCameraSceneNode(nullptr, {0, 10, -10}, {0, 0, 0}, -1, true);
    }
    void TearDown() override
    {
        state->ClearGameViews();
        TGame::ReleaseClassData();
        game.reset();
    }
    irr::scene::ICameraSceneNode* Camera()
    {
        return smgr->addCameraSceneNode(nullptr, {0, 5, -5}, {0, 0, 0}, -1, false);
    }
    // One frame; the passes the scene was drawn in.
    std::vector<Pass> Frame()
    {
        recorder->passes.clear();
        EXPECT_TRUE(game->RunFrame());
        return recorder->passes;
    }

    std::unique_ptr<TGame> game;
    std::shared_ptr<TGameState> state = std::make_shared<TGameState>();
    irr::scene::ISceneManager* smgr = nullptr;
    PassRecorder* recorder = nullptr;
    irr::scene::ICameraSceneNode* sceneCamera = nullptr;
};

}  // namespace

TEST_F(WindowViews, EachCameraIsDrawnActiveInItsOwnViewport)
{
    ASSERT_EQ(*game->screenRect, recti(0, 0, 800, 600)) << "the window has the size asked for";
    irr::scene::ICameraSceneNode* left = Camera();
    irr::scene::ICameraSceneNode* right = Camera();
    auto view = std::make_shared<TGameView>();
    view->AddCamera(left, recti(0, 0, 400, 600));
    view->AddCamera(right, recti(400, 0, 800, 600));
    state->AddGameView("two", view);
    state->SetGameView("two");
    const std::vector<Pass> passes = Frame();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].camera, left);
    EXPECT_EQ(passes[0].viewport, recti(0, 0, 400, 600));
    EXPECT_EQ(passes[1].camera, right);
    EXPECT_EQ(passes[1].viewport, recti(400, 0, 800, 600));
}

TEST_F(WindowViews, SplitScreenDrawsTopThenBottomAndTheNextFrameWithoutAViewTheWholeScreen)
{
    irr::scene::ICameraSceneNode* top = Camera();
    irr::scene::ICameraSceneNode* bottom = Camera();
    state->AddGameView("split", TSplitView::Create(top, bottom));
    state->SetGameView("split");
    std::vector<Pass> passes = Frame();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].camera, top);
    EXPECT_EQ(passes[0].viewport, recti(0, 0, 800, 300));
    EXPECT_EQ(passes[1].camera, bottom);
    EXPECT_EQ(passes[1].viewport, recti(0, 300, 800, 600));

    // Without a view the scene manager's active camera draws, on the whole screen again.
    state->SetGameView("");
    smgr->setActiveCamera(sceneCamera);
    passes = Frame();
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].camera, sceneCamera);
    EXPECT_EQ(passes[0].viewport, recti(0, 0, 800, 600));
}
