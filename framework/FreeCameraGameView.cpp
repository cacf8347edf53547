#include "framework/FreeCameraGameView.h"

int TFreeCameraGameView::AddCamera(irr::scene::ICameraSceneNode* camera, std::optional<irr::core::recti> viewport)
{
    TGameView::AddCamera(camera, viewport);
    if (camera) camera->setInputReceiverEnabled(false);
    return 0;
}

int TFreeCameraGameView::OnSetGameView(TGameView*)
{
    if (!cameras.empty()) cameras.front()->setInputReceiverEnabled(true);
    return 0;
}

int TFreeCameraGameView::OnLeaveGameView(TGameView*)
{
    if (!cameras.empty()) cameras.front()->setInputReceiverEnabled(false);
    return 0;
}
