// The fixed views (F1 55 degrees, F2 top-down, F3 orthographic) frame the whole arena at
// every window size the options offer and in every arena: the eight corners of the arena's
// bounds and a tank on each respawn point land inside the viewport, and the arena fills
// it along one axis, so the tanks are as large as the frame allows.
#include <algorithm>
#include <string>
#include <tuple>

#include "tests/support/ArenaFixture.h"
#include "framework/CameraFraming.h"
#include "framework/GameView.h"

namespace {

struct Size {
    int width, height;
};
const Size kSizes[] = {{800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}, {1280, 800}};
const TArenaChoice kArenas[] = {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts};
const char* const kViews[] = {"overhead55_cam", "overhead_cam", "ortho_cam"};

// The screen rectangle a set of world points covers in a view's camera.
struct Cover {
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    bool behind = false;
    void Add(irr::scene::ICameraSceneNode* camera, const irr::core::recti& viewport, const irr::core::vector3df& p)
    {
        irr::core::vector2df at;
        if (!CameraFraming::Project(camera, viewport, p, at)) {
            behind = true;
            return;
        }
        left = std::min(left, at.X), right = std::max(right, at.X);
        top = std::min(top, at.Y), bottom = std::max(bottom, at.Y);
    }
    bool Inside(const irr::core::recti& v) const
    {
        return !behind && left >= v.UpperLeftCorner.X && top >= v.UpperLeftCorner.Y &&
               right <= v.LowerRightCorner.X && bottom <= v.LowerRightCorner.Y;
    }
};

}  // namespace

class ViewFraming : public ArenaTest, public ::testing::WithParamInterface<std::tuple<Size, TArenaChoice>> {
protected:
    void SetUp() override
    {
        // The window of this size instead of the fixture's 800x600.
        clock.Install();
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        const Size size = std::get<0>(GetParam());
        ASSERT_TRUE(game->InitGraphics(size.width, size.height, 16, driverType));
        game->settings.match.arena = std::get<1>(GetParam());
        TGame::AddGameState("Arena", arena);
        TGame::AddGameState("TitleScreen", title);
        EnterArenaWithoutDrivers();
        Frame();
    }
};

TEST_P(ViewFraming, ArenaCornersAndATankOnEveryRespawnPointAreInsideTheViewport)
{
    const Size size = std::get<0>(GetParam());
    irr::core::vector3df corners[8];
    arena->ArenaBounds().getEdges(corners);
    auto tank = Tank("tank1");
    for (const char* key : kViews) {
        SCOPED_TRACE(key);
        arena->SetGameView(key);
        Frame();
        auto view = arena->GetCurrentGameView();
        ASSERT_TRUE(view && view->cameras.size() == 1u);
        irr::scene::ICameraSceneNode* camera = view->cameras[0];
        const irr::core::recti viewport = view->viewports[camera];
        EXPECT_EQ(viewport, irr::core::recti(0, 0, size.width, size.height));

        Cover box;
        for (const auto& corner : corners) box.Add(camera, viewport, corner);
        EXPECT_TRUE(box.Inside(viewport)) << "the arena covers " << box.left << "," << box.top << " .. " << box.right
                                          << "," << box.bottom;
        // Tight: the arena fills nine tenths of the width or of the height.
        EXPECT_TRUE(box.right - box.left >= 0.9f * size.width || box.bottom - box.top >= 0.9f * size.height)
            << "the arena covers only " << box.right - box.left << "x" << box.bottom - box.top;

        for (const auto& point : ArenaObject()->respawn_points) {
            Place("tank1", point, 0);
            tank->_node->updateAbsolutePosition();
            irr::core::vector3df edges[8];
            tank->_node->getTransformedBoundingBox().getEdges(edges);
            Cover drawn;
            for (const auto& edge : edges) drawn.Add(camera, viewport, edge);
            EXPECT_TRUE(drawn.Inside(viewport)) << "a tank at " << point.X << "," << point.Z << " covers "
                                                << drawn.left << "," << drawn.top << " .. " << drawn.right << ","
                                                << drawn.bottom;
            EXPECT_FALSE(arena->smgr->isCulled(tank->_node));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySizeAndArena, ViewFraming, ::testing::Combine(::testing::ValuesIn(kSizes),
                                                                            ::testing::ValuesIn(kArenas)),
                         [](const auto& info) {
                             const Size s = std::get<0>(info.param);
                             return std::to_string(s.width) + "x" + std::to_string(s.height) + "_arena" +
                                    std::to_string(static_cast<int>(std::get<1>(info.param)));
                         });
