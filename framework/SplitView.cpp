#include "framework/SplitView.h"

#include <algorithm>

#include "framework/Game.h"

namespace {
const float kFullFOV = 1.2566371f;  // pi/2.5, the engine's default

// A tank camera's field of view and shift (down and back, parent-relative) in a part.
struct PartFraming {
    float fov;
    float shiftY;
    float shiftZ;
};
// A half is as tall as a quarter but twice as wide: the narrow pi/4 still shows wide.
const PartFraming kHalf = {0.7853982f, 0.22f, 0.45f};
// A quarter has the screen's own shape; a narrower view than the full screen's keeps the
// tanks large in the small picture, and half the halves' shift keeps the own tank in it.
const PartFraming kQuarter = {1.0471976f, 0.11f, 0.225f};  // pi/3

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
    return Create(parts, parts);
}

std::shared_ptr<TSplitView> TSplitView::Create(const std::vector<irr::scene::ICameraSceneNode*>& parts,
                                               const std::vector<irr::scene::ICameraSceneNode*>& tankCameras)
{
    const irr::core::recti screen = ScreenRect();
    const int width = screen.getWidth();
    const int height = screen.getHeight();
    auto view = std::make_shared<TSplitView>();
    view->tankCameras_ = tankCameras;
    view->quarters_ = parts.size() > 2;
    for (size_t i = 0; i < parts.size() && i < 4; ++i) {
        const int column = view->quarters_ ? static_cast<int>(i % 2) : 0;
        const int row = view->quarters_ ? static_cast<int>(i / 2) : static_cast<int>(i);
        const int partWidth = view->quarters_ ? width / 2 : width;
        view->AddCamera(parts[i], irr::core::recti(column * partWidth, row * height / 2, (column + 1) * partWidth,
                                                   (row + 1) * height / 2));
    }
    return view;
}

bool TSplitView::IsTankCamera(irr::scene::ICameraSceneNode* camera) const
{
    return std::find(tankCameras_.begin(), tankCameras_.end(), camera) != tankCameras_.end();
}

int TSplitView::OnSetGameView(TGameView*)
{
    camPos.clear();
    ownAspect_.clear();
    const PartFraming& framing = quarters_ ? kQuarter : kHalf;
    for (irr::scene::ICameraSceneNode* camera : cameras) {
        // A camera listed twice is saved and shifted once.
        if (camPos.count(camera)) continue;
        const irr::core::vector3df position = camera->getPosition();
        camPos[camera] = position;
        const bool tank = IsTankCamera(camera);
        if (!tank) ownAspect_[camera] = camera->getAspectRatio();
        // No aspect ratio from a part without height; an orthographic camera keeps its volume.
        const irr::core::recti part = viewports.count(camera) ? viewports[camera] : ScreenRect();
        if (part.getHeight() > 0 && !camera->isOrthogonal())
            camera->setAspectRatio((1.0f * part.getWidth()) / part.getHeight());
        if (!tank) continue;
        camera->setFOV(framing.fov);
        camera->setPosition(irr::core::vector3df(position.X, position.Y - framing.shiftY, position.Z - framing.shiftZ));
    }
    return 0;
}

int TSplitView::OnLeaveGameView(TGameView*)
{
    const irr::core::recti screen = ScreenRect();
    const int height = screen.getHeight();
    for (irr::scene::ICameraSceneNode* camera : cameras) {
        auto own = ownAspect_.find(camera);
        if (own != ownAspect_.end()) {
            if (!camera->isOrthogonal()) camera->setAspectRatio(own->second);
            continue;
        }
        if (height > 0) camera->setAspectRatio((1.0f * screen.getWidth()) / height);
        camera->setFOV(kFullFOV);
        auto saved = camPos.find(camera);
        if (saved != camPos.end()) camera->setPosition(saved->second);
    }
    return 0;
}
