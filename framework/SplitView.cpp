#include "framework/SplitView.h"

#include "framework/Game.h"

namespace {
const float kSplitFOV = 0.7853982f;  // pi/4
const float kFullFOV = 1.2566371f;   // pi/2.5, the engine's default
const float kShiftY = 0.22f;
const float kShiftZ = 0.45f;

// The game's screen rectangle as it is now; empty before the window exists.
irr::core::recti ScreenRect()
{
    if (TGame::GameInstance && TGame::GameInstance->screenRect) return *TGame::GameInstance->screenRect;
    return irr::core::recti();
}
}  // namespace

std::shared_ptr<TSplitView> TSplitView::Create(irr::scene::ICameraSceneNode* top, irr::scene::ICameraSceneNode* bottom)
{
    const irr::core::recti screen = ScreenRect();
    const int width = screen.getWidth();
    const int height = screen.getHeight();
    auto view = std::make_shared<TSplitView>();
    view->AddCamera(top, irr::core::recti(0, 0, width, height / 2));
    view->AddCamera(bottom, irr::core::recti(0, height / 2, width, height));
    return view;
}

int TSplitView::OnSetGameView(TGameView*)
{
    camPos.clear();
    const irr::core::recti screen = ScreenRect();
    const int half = screen.getHeight() / 2;
    for (irr::scene::ICameraSceneNode* camera : cameras) {
        // A camera listed twice is saved and shifted once.
        if (camPos.count(camera)) continue;
        const irr::core::vector3df position = camera->getPosition();
        camPos[camera] = position;
        // No aspect ratio from a screen without height.
        if (half > 0) camera->setAspectRatio((1.0f * screen.getWidth()) / half);
        camera->setFOV(kSplitFOV);
        camera->setPosition(irr::core::vector3df(position.X, position.Y - kShiftY, position.Z - kShiftZ));
    }
    return 0;
}

int TSplitView::OnLeaveGameView(TGameView*)
{
    const irr::core::recti screen = ScreenRect();
    const int height = screen.getHeight();
    for (irr::scene::ICameraSceneNode* camera : cameras) {
        if (height > 0) camera->setAspectRatio((1.0f * screen.getWidth()) / height);
        camera->setFOV(kFullFOV);
        auto saved = camPos.find(camera);
        if (saved != camPos.end()) camera->setPosition(saved->second);
    }
    return 0;
}
