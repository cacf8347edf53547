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
    return Create(std::vector<irr::scene::ICameraSceneNode*>{top, bottom});
}

std::shared_ptr<TSplitView> TSplitView::Create(const std::vector<irr::scene::ICameraSceneNode*>& parts)
{
    const irr::core::recti screen = ScreenRect();
    const int width = screen.getWidth();
    const int height = screen.getHeight();
    auto view = std::make_shared<TSplitView>();
    const bool quarters = parts.size() > 2;
    for (size_t i = 0; i < parts.size() && i < 4; ++i) {
        const int column = quarters ? static_cast<int>(i % 2) : 0;
        const int row = quarters ? static_cast<int>(i / 2) : static_cast<int>(i);
        const int partWidth = quarters ? width / 2 : width;
        view->AddCamera(parts[i], irr::core::recti(column * partWidth, row * height / 2, (column + 1) * partWidth,
                                                   (row + 1) * height / 2));
    }
    return view;
}

int TSplitView::OnSetGameView(TGameView*)
{
    camPos.clear();
    for (irr::scene::ICameraSceneNode* camera : cameras) {
        // A camera listed twice is saved and shifted once.
        if (camPos.count(camera)) continue;
        const irr::core::vector3df position = camera->getPosition();
        camPos[camera] = position;
        // No aspect ratio from a part without height.
        const irr::core::recti part = viewports.count(camera) ? viewports[camera] : ScreenRect();
        if (part.getHeight() > 0) camera->setAspectRatio((1.0f * part.getWidth()) / part.getHeight());
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
