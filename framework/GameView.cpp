#include "framework/GameView.h"

#include "framework/Game.h"
#include "framework/GameState.h"

template <class F>
void TGameView::ForEachSubView(F&& f)
{
    auto state = GetState();
    if (!state) return;
    const std::vector<std::string> keys = views;
    for (const auto& key : keys) {
        if (auto view = state->GetGameView(key)) f(*view);
    }
}

int TGameView::GetCameraCount()
{
    return static_cast<int>(cameras.size());
}

int TGameView::GetViewCount(int deep)
{
    int count = static_cast<int>(views.size());
    if (deep) ForEachSubView([&](TGameView& view) { count += view.GetViewCount(0); });
    return count;
}

int TGameView::AddView(std::shared_ptr<TGameView> view)
{
    auto state = GetState();
    if (!state || !view) return 0;
    std::string key;
    if (!view->obj_key.empty() && state->GetGameView(view->obj_key)) {
        key = view->obj_key;
    } else {
        // The digit 1 is appended as text: the first sub-view of "v" is "v_subview_01".
        key = obj_key + "_subview_" + std::to_string(GetViewCount(0)) + "1";
        state->AddGameView(key, view);
    }
    views.push_back(key);
    return 0;
}

int TGameView::AddCamera(irr::scene::ICameraSceneNode* camera, std::optional<irr::core::recti> viewport)
{
    // A missing camera would make every draw of the view fail.
    if (!camera) return 0;
    cameras.push_back(camera);
    if (!viewport && TGame::GameInstance && TGame::GameInstance->screenRect)
        viewport = *TGame::GameInstance->screenRect;
    viewports[camera] = viewport.value_or(irr::core::recti());
    return 0;
}

int TGameView::Render()
{
    auto state = GetState();
    if (!state || !state->smgr) return 0;
    irr::video::IVideoDriver* driver = state->smgr->getVideoDriver();
    // Copy: a hook may add cameras while the view draws.
    const std::vector<irr::scene::ICameraSceneNode*> list = cameras;
    for (irr::scene::ICameraSceneNode* camera : list) {
        OnPreRender(camera);
        state->smgr->setActiveCamera(camera);
        driver->setViewPort(viewports[camera]);
        state->smgr->drawAll();
        state->OnRender();
        if (state->guienv) state->guienv->drawAll();
        OnPostRender(camera);
    }
    ForEachSubView([](TGameView& view) { view.Render(); });
    return 0;
}

int TGameView::OnRender(irr::scene::ICameraSceneNode*)
{
    return 0;
}

int TGameView::OnSetGameView(TGameView* previous)
{
    ForEachSubView([&](TGameView& view) { view.OnSetGameView(previous); });
    return 0;
}

int TGameView::OnLeaveGameView(TGameView* next)
{
    ForEachSubView([&](TGameView& view) { view.OnLeaveGameView(next); });
    return 0;
}

int TGameView::OnPreRender(irr::scene::ICameraSceneNode*)
{
    return 0;
}

int TGameView::OnPostRender(irr::scene::ICameraSceneNode*)
{
    return 0;
}

int TGameView::Destroy()
{
    auto state = GetState();
    if (!state) return 0;
    const std::vector<std::string> keys = views;
    for (const auto& key : keys) state->RemoveGameView(key);
    state->RemoveGameView(obj_key);
    return 0;
}
