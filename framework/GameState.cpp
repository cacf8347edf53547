#include "framework/GameState.h"

#include <stdexcept>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameView.h"
#include "framework/objects/GameObject.h"

namespace {
const irr::video::SColor kWhite(255, 255, 255, 255);
}

int TGameStateAnimator::OnAnimate(TGameState*, int)
{
    return 0;
}

int TGameStateAnimator::Destroy()
{
    return 0;
}

TGameState::TGameState() = default;
TGameState::~TGameState() = default;

int TGameState::SetNextState(const std::string& name)
{
    nextState = name;
    pendingNextState = 1;
    return 0;
}

int TGameState::UpdatesThisFrame()
{
    return 1;
}

int TGameState::OnSetGameState(TGameState*)
{
    return 0;
}

int TGameState::OnPreUpdate()
{
    return 0;
}

int TGameState::UpdateObjects()
{
    GameObjects.ForEach([](const std::string&, const std::shared_ptr<TGameObject>& object) {
        object->RunAnimators();
        object->OnUpdate();
    });
    RunAnimators();
    return 0;
}

int TGameState::OnUpdate()
{
    return 0;
}

int TGameState::OnPostUpdate()
{
    return 0;
}

int TGameState::PostUpdateObjects()
{
    GameObjects.ForEach(
        [](const std::string&, const std::shared_ptr<TGameObject>& object) { object->OnPostUpdate(); });
    if (!GameObjectDeleteQueue.empty()) {
        std::deque<std::string> queue;
        queue.swap(GameObjectDeleteQueue);
        for (const auto& key : queue) RemoveGameObject(key);
    }
    if (!AnimatorDeleteQueue.empty()) {
        std::deque<std::string> queue;
        queue.swap(AnimatorDeleteQueue);
        for (const auto& key : queue) RemoveAnimator(key);
    }
    return 0;
}

int TGameState::OnPreRender()
{
    GameObjects.ForEach(
        [](const std::string&, const std::shared_ptr<TGameObject>& object) { object->OnPreRender(); });
    return 0;
}

int TGameState::OnRender()
{
    return 0;
}

int TGameState::OnPostRender()
{
    GameObjects.ForEach(
        [](const std::string&, const std::shared_ptr<TGameObject>& object) { object->OnPostRender(); });
    return 0;
}

int TGameState::Render()
{
    if (!smgr) return 0;
    if (auto view = GetCurrentGameView()) {
        view->Render();
        return 0;
    }
    smgr->drawAll();
    OnRender();
    if (guienv) guienv->drawAll();
    return 0;
}

int TGameState::OnLeaveGameState(TGameState*)
{
    return 0;
}

int TGameState::OnGUIEvent(irr::gui::IGUIElement*, int)
{
    return 0;
}

int TGameState::OnMouseEvent(int, int, int, int, float)
{
    return 0;
}

int TGameState::OnKeyEvent(int, int, int, int, int, int, int)
{
    return 0;
}

int TGameState::OnUserEvent(int data1, int data2, float data3)
{
    int consumed = 0;
    // Offer the event in key order; the first object that takes it ends the offer.
    for (const auto& key : MapKeysToArray(GameObjects)) {
        auto object = GameObjects.Get(key);
        if (object && object->OnUserEvent(data1, data2, data3)) {
            consumed = 1;
            break;
        }
    }
    return consumed;
}

float TGameState::GetSpeedFactor()
{
    return TGame::Framerate->speedfactor;
}

int TGameState::DrawText(const std::wstring& text, irr::gui::IGUIFont* font,
                         std::optional<irr::video::SColor> color, int x, int y, int width, int height,
                         int hcenter, int vcenter)
{
    if (!font) return 0;
    irr::core::recti rect;
    if (width < 0 || height < 0) {
        const irr::core::dimension2d<irr::u32> size = font->getDimension(text.c_str());
        rect = irr::core::recti(x, y, x + static_cast<int>(size.Width), y + static_cast<int>(size.Height));
    } else {
        rect = irr::core::recti(x, y, x + width, y + height);
    }
    font->draw(text.c_str(), rect, color.value_or(kWhite), hcenter != 0, vcenter != 0, nullptr);
    return 0;
}

int TGameState::DrawLine(int x1, int y1, int x2, int y2, std::optional<irr::video::SColor> color)
{
    if (!TGame::GameInstance || !TGame::GameInstance->driver) return 0;
    TGame::GameInstance->driver->draw2DLine(irr::core::vector2di(x1, y1), irr::core::vector2di(x2, y2),
                                            color.value_or(kWhite));
    return 0;
}

int TGameState::DrawHorizontalLine(int x1, int y, int x2, int thickness, std::optional<irr::video::SColor> color)
{
    const irr::video::SColor c = color.value_or(kWhite);
    for (int i = 0; i < thickness; ++i) DrawLine(x1, y + i, x2, y + i, c);
    return 0;
}

int TGameState::DrawVerticalLine(int x, int y1, int y2, int thickness, std::optional<irr::video::SColor> color)
{
    const irr::video::SColor c = color.value_or(kWhite);
    for (int i = 0; i < thickness; ++i) DrawLine(x + i, y1, x + i, y2, c);
    return 0;
}

std::shared_ptr<TGameView> TGameState::GetGameView(const std::string& key)
{
    return GameViews.Get(key);
}

std::shared_ptr<TGameView> TGameState::AddGameView(const std::string& key, std::shared_ptr<TGameView> view)
{
    if (GameViews.Contains(key)) RemoveGameView(key);
    view->state_key = state_key;
    view->obj_key = key;
    GameViews.Set(key, view);
    view->OnAdd(this);
    return view;
}

int TGameState::RemoveGameView(const std::string& key)
{
    std::shared_ptr<TGameView> view = GameViews.Get(key);
    if (!view) return 0;
    view->OnRemove(this);
    GameViews.Remove(key);
    view->Destroy();
    view->state_key.clear();
    return 0;
}

int TGameState::SetGameView(const std::string& key)
{
    std::shared_ptr<TGameView> oldView = GetCurrentGameView();
    if (!key.empty()) {
        std::shared_ptr<TGameView> newView = GetGameView(key);
        if (!newView) throw std::runtime_error("SetGameView: GameView does not exist");
        if (oldView) oldView->OnLeaveGameView(newView.get());
        newView->OnSetGameView(oldView.get());
        currentGameView = key;
    } else {
        if (oldView) oldView->OnLeaveGameView(nullptr);
        currentGameView.clear();
    }
    return 0;
}

std::shared_ptr<TGameView> TGameState::GetCurrentGameView()
{
    if (currentGameView.empty()) return nullptr;
    // Asked for by the render and by every shell in flight, each frame.
    return RememberedLookup(GameViews, currentGameView, currentView_, [&] { return GetGameView(currentGameView); });
}

int TGameState::ClearGameViews()
{
    for (const auto& key : MapKeysToArray(GameViews)) RemoveGameView(key);
    return 0;
}

int TGameState::QueueGameObjectForDeletion(const std::string& key)
{
    GameObjectDeleteQueue.push_back(key);
    return 0;
}

std::shared_ptr<TGameObject> TGameState::GetGameObject(const std::string& key)
{
    return GameObjects.Get(key);
}

std::shared_ptr<TGameObject> TGameState::AddGameObject(const std::string& key, std::shared_ptr<TGameObject> object)
{
    if (GameObjects.Contains(key)) RemoveGameObject(key);
    object->state_key = state_key;
    object->obj_key = key;
    GameObjects.Set(key, object);
    object->OnAdd(this);
    return object;
}

int TGameState::RemoveGameObject(const std::string& key)
{
    std::shared_ptr<TGameObject> object = GameObjects.Get(key);
    if (!object) return 0;
    object->OnRemove(this);
    // Out of the map before Destroy, so that Destroy asking us to remove it finds nothing.
    GameObjects.Remove(key);
    object->Destroy();
    object->state_key.clear();
    return 0;
}

int TGameState::ClearGameObjects()
{
    for (const auto& key : MapKeysToArray(GameObjects)) RemoveGameObject(key);
    return 0;
}

std::vector<std::shared_ptr<TGameObject>> TGameState::GetGameObjects(const std::string& typeName)
{
    std::vector<std::shared_ptr<TGameObject>> result;
    const std::string wanted = typeName.empty() ? std::string() : TypeRegistry::Find(typeName);
    if (!typeName.empty() && wanted.empty()) return result;  // names no class
    GameObjects.ForEach([&](const std::string&, const std::shared_ptr<TGameObject>& object) {
        if (typeName.empty() || object->GetType() == typeName || TypeRegistry::IsA(object->GetType(), wanted))
            result.push_back(object);
    });
    return result;
}

int TGameState::QueueAnimatorForDeletion(const std::string& key)
{
    AnimatorDeleteQueue.push_back(key);
    return 0;
}

int TGameState::RunAnimators()
{
    const int now = static_cast<int>(GameClock::Milliseconds());
    animators.ForEach([&](const std::string&, const std::shared_ptr<TGameStateAnimator>& animator) {
        animator->OnAnimate(this, now);
    });
    return 0;
}

std::shared_ptr<TGameStateAnimator> TGameState::GetAnimator(const std::string& key)
{
    return animators.Get(key);
}

std::shared_ptr<TGameStateAnimator> TGameState::AddAnimator(const std::string& key,
                                                            std::shared_ptr<TGameStateAnimator> animator)
{
    RemoveAnimator(key);
    animator->obj_key = key;
    animators.Set(key, animator);
    return animator;
}

int TGameState::RemoveAnimator(const std::string& key)
{
    std::shared_ptr<TGameStateAnimator> animator = animators.Get(key);
    if (!animator) return 0;
    animators.Remove(key);
    animator->Destroy();
    return 0;
}

int TGameState::ClearAnimators()
{
    for (const auto& key : MapKeysToArray(animators)) RemoveAnimator(key);
    return 0;
}
