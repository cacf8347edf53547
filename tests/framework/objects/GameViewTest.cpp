#include "SceneFixture.h"
#include "framework/FreeCameraGameView.h"
#include "framework/GameView.h"
#include "framework/OrthogonalGameView.h"
#include "framework/SplitView.h"

using irr::core::recti;
using irr::core::vector3df;

namespace {

const float kQuarterPi = 0.7853982f;
const float kDefaultFOV = 1.2566371f;

// Counts the cameras it is asked to draw.
class CountingView : public TGameView {
public:
    int OnPreRender(irr::scene::ICameraSceneNode*) override
    {
        ++draws;
        return 0;
    }
    int draws = 0;
};

}  // namespace

class Views : public SceneFixture {
protected:
    irr::scene::ICameraSceneNode* Camera(const vector3df& position = vector3df())
    {
        return smgr->addCameraSceneNode(nullptr, position, vector3df(0, 0, 100), -1, false);
    }
};

TEST_F(Views, TwoCamerasDrawTheOverlayTwiceAFrame)
{
    auto view = std::make_shared<TGameView>();
    view->AddCamera(Camera(), recti(0, 0, 400, 600));
    view->AddCamera(Camera(), recti(400, 0, 800, 600));
    state->AddGameView("two", view);
    state->SetGameView("two");
    game->RunFrame();
    EXPECT_EQ(state->renders, 2);
    game->RunFrame();
    EXPECT_EQ(state->renders, 4);
}

TEST_F(Views, NullCameraIsIgnoredAndNoViewportMeansTheWholeScreen)
{
    auto view = std::make_shared<TGameView>();
    irr::scene::ICameraSceneNode* camera = Camera();
    view->AddCamera(camera);
    view->AddCamera(nullptr);
    EXPECT_EQ(view->GetCameraCount(), 1);
    EXPECT_EQ(view->viewports[camera], recti(0, 0, 800, 600));
}


TEST_F(Views, SubViewKeysCountAndAppendTheDigitOne)
{
    auto view = std::make_shared<TGameView>();
    state->AddGameView("v", view);
    std::vector<std::shared_ptr<TGameView>> subs;
    for (int i = 0; i < 11; ++i) {
        subs.push_back(std::make_shared<TGameView>());
        view->AddView(subs.back());
    }
    EXPECT_EQ(subs[0]->obj_key, "v_subview_01");
    EXPECT_EQ(subs[1]->obj_key, "v_subview_11");
    EXPECT_EQ(subs[9]->obj_key, "v_subview_91");
    EXPECT_EQ(subs[10]->obj_key, "v_subview_101");
    EXPECT_EQ(state->GetGameView("v_subview_101"), subs[10]);
    EXPECT_EQ(view->GetViewCount(0), 11);
}


TEST_F(Views, RemovingTheCurrentViewFallsBackToTheSceneCamera)
{
    auto view = std::make_shared<CountingView>();
    view->AddCamera(Camera());
    view->AddCamera(Camera());
    state->AddGameView("v", view);
    state->SetGameView("v");
    state->RemoveGameView("v");
    EXPECT_EQ(state->currentGameView, "v");
    EXPECT_EQ(state->GetCurrentGameView(), nullptr);
    game->RunFrame();
    EXPECT_EQ(view->draws, 0);
    EXPECT_EQ(state->renders, 1);
}


TEST_F(Views, OrthographicVolumeIsFixedFromTheCameraAspect)
{
    irr::scene::ICameraSceneNode* camera = Camera();
    camera->setAspectRatio(4.0f / 3.0f);
    auto view = std::make_shared<TOrthogonalGameView>();
    view->AddCamera(camera);
    EXPECT_TRUE(camera->isOrthogonal());
    const irr::core::matrix4& projection = camera->getProjectionMatrix();
    // An orthographic projection maps the volume's width and height onto 2 units.
    EXPECT_NEAR(2.0f / projection[0], 42.5f, 1e-3f);
    EXPECT_NEAR(2.0f / projection[5], 31.875f, 1e-3f);
    EXPECT_FLOAT_EQ(projection[15], 1.0f);
}

TEST_F(Views, FreeCameraTakesInputOnlyWhileCurrent)
{
    irr::scene::ICameraSceneNode* fly = Camera();
    irr::scene::ICameraSceneNode* second = Camera();
    auto view = std::make_shared<TFreeCameraGameView>();
    view->AddCamera(fly);
    view->AddCamera(second);
    EXPECT_FALSE(fly->isInputReceiverEnabled());
    EXPECT_FALSE(second->isInputReceiverEnabled());
    state->AddGameView("free", view);
    state->AddGameView("other", std::make_shared<TGameView>());
    state->SetGameView("free");
    EXPECT_TRUE(fly->isInputReceiverEnabled());
    EXPECT_FALSE(second->isInputReceiverEnabled());
    state->SetGameView("other");
    EXPECT_FALSE(fly->isInputReceiverEnabled());
}


TEST_F(Views, SplitViewStacksItsCamerasOnTheScreen)
{
    auto split = TSplitView::Create(Camera(), Camera());
    ASSERT_EQ(split->GetCameraCount(), 2);
    EXPECT_EQ(split->viewports[split->cameras[0]], recti(0, 0, 800, 300));
    EXPECT_EQ(split->viewports[split->cameras[1]], recti(0, 300, 800, 600));
}

TEST_F(Views, SplitViewNarrowsItsCamerasWhileCurrentAndRestoresThem)
{
    irr::scene::ICameraSceneNode* top = Camera(vector3df(1, 2, 3));
    irr::scene::ICameraSceneNode* bottom = Camera(vector3df(-4, 5, -6));
    state->AddGameView("split", TSplitView::Create(top, bottom));
    state->AddGameView("other", std::make_shared<TGameView>());

    state->SetGameView("split");
    for (irr::scene::ICameraSceneNode* camera : {top, bottom}) {
        EXPECT_FLOAT_EQ(camera->getAspectRatio(), 800.0f / 300.0f);
        EXPECT_FLOAT_EQ(camera->getFOV(), kQuarterPi);
    }
    ExpectNear(top->getPosition(), vector3df(1, 1.78f, 2.55f), 1e-4f);
    ExpectNear(bottom->getPosition(), vector3df(-4, 4.78f, -6.45f), 1e-4f);

    state->SetGameView("other");
    for (irr::scene::ICameraSceneNode* camera : {top, bottom}) {
        EXPECT_FLOAT_EQ(camera->getAspectRatio(), 800.0f / 600.0f);
        EXPECT_FLOAT_EQ(camera->getFOV(), kDefaultFOV);
    }
    ExpectNear(top->getPosition(), vector3df(1, 2, 3), 1e-6f);
    ExpectNear(bottom->getPosition(), vector3df(-4, 5, -6), 1e-6f);
}

TEST_F(Views, SettingTheCurrentSplitViewAgainShiftsOnce)
{
    irr::scene::ICameraSceneNode* top = Camera(vector3df(0, 1, 1));
    irr::scene::ICameraSceneNode* bottom = Camera(vector3df(0, 1, 1));
    state->AddGameView("split", TSplitView::Create(top, bottom));
    state->SetGameView("split");
    state->SetGameView("split");
    ExpectNear(top->getPosition(), vector3df(0, 0.78f, 0.55f), 1e-4f);
    ExpectNear(bottom->getPosition(), vector3df(0, 0.78f, 0.55f), 1e-4f);
    state->SetGameView("");
    ExpectNear(top->getPosition(), vector3df(0, 1, 1), 1e-6f);
}

TEST_F(Views, SplitViewWithACameraTwiceShiftsItOnce)
{
    irr::scene::ICameraSceneNode* camera = Camera(vector3df(0, 1, 1));
    auto split = TSplitView::Create(camera, camera);
    state->AddGameView("split", split);
    state->SetGameView("split");
    ExpectNear(camera->getPosition(), vector3df(0, 0.78f, 0.55f), 1e-4f);
    state->SetGameView("");
    ExpectNear(camera->getPosition(), vector3df(0, 1, 1), 1e-6f);
}


// Three tanks and the overview in quarters: the parts tile the screen in reading order;
// the tanks' cameras take the quarter's framing, the overview keeps its own but the shape.
TEST_F(Views, QuartersTileTheScreenAndLeaveTheOverviewCameraItsOwnFraming)
{
    const float kQuarterFOV = 1.0471976f;
    std::vector<irr::scene::ICameraSceneNode*> tanks = {Camera(vector3df(1, 2, 3)), Camera(vector3df(0, 1, 1)),
                                                        Camera(vector3df(-4, 5, -6))};
    irr::scene::ICameraSceneNode* overview = Camera(vector3df(0, 40, -20));
    overview->setFOV(0.9f);
    overview->setAspectRatio(1.5f);
    std::vector<irr::scene::ICameraSceneNode*> parts = tanks;
    parts.push_back(overview);
    auto split = TSplitView::Create(parts, tanks);
    ASSERT_EQ(split->GetCameraCount(), 4);
    const recti quarters[] = {recti(0, 0, 400, 300), recti(400, 0, 800, 300), recti(0, 300, 400, 600),
                              recti(400, 300, 800, 600)};
    for (size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(split->viewports[parts[i]], quarters[i]) << i;

    state->AddGameView("split", split);
    state->SetGameView("split");
    for (irr::scene::ICameraSceneNode* camera : parts) EXPECT_FLOAT_EQ(camera->getAspectRatio(), 400.0f / 300.0f);
    for (irr::scene::ICameraSceneNode* camera : tanks) EXPECT_FLOAT_EQ(camera->getFOV(), kQuarterFOV);
    ExpectNear(tanks[1]->getPosition(), vector3df(0, 0.89f, 0.775f), 1e-4f);
    EXPECT_FLOAT_EQ(overview->getFOV(), 0.9f) << "the overview is not narrowed";
    ExpectNear(overview->getPosition(), vector3df(0, 40, -20), 1e-6f);

    state->SetGameView("");
    for (irr::scene::ICameraSceneNode* camera : tanks) {
        EXPECT_FLOAT_EQ(camera->getAspectRatio(), 800.0f / 600.0f);
        EXPECT_FLOAT_EQ(camera->getFOV(), kDefaultFOV);
    }
    ExpectNear(tanks[0]->getPosition(), vector3df(1, 2, 3), 1e-6f);
    EXPECT_FLOAT_EQ(overview->getAspectRatio(), 1.5f) << "the overview's own aspect ratio comes back";
    EXPECT_FLOAT_EQ(overview->getFOV(), 0.9f);
}
