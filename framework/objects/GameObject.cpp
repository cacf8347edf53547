#include "framework/objects/GameObject.h"

#include "framework/Clock.h"
#include "framework/Game.h"
#include "framework/GameState.h"

std::shared_ptr<TGameState> TGameObjectBase::GetState()
{
    if (state_key.empty()) return nullptr;
    // Objects ask for their state many times a frame; the registry lookup is made again
    // only when the registry or the key has changed since the last one.
    return RememberedLookup(TGame::GameStates, state_key, state_, [&] { return TGame::GetGameState(state_key); });
}

int TGameObjectBase::OnAdd(TGameState*)
{
    return 0;
}

int TGameObjectBase::OnRemove(TGameState*)
{
    return 0;
}

int TGameObjectAnimator::OnAnimate(TGameObject*, int)
{
    return 0;
}

int TGameObjectAnimator::Destroy()
{
    return 0;
}

int TGameObject::OnPreRender()
{
    return 0;
}

int TGameObject::OnPostRender()
{
    return 0;
}

int TGameObject::OnUpdate()
{
    return 0;
}

int TGameObject::OnPostUpdate()
{
    if (!GameObjectAnimatorDeleteQueue.empty()) {
        // Take the queue first: a Destroy hook may queue more keys for the next frame.
        std::deque<std::string> queue;
        queue.swap(GameObjectAnimatorDeleteQueue);
        for (const auto& key : queue) RemoveAnimator(key);
    }
    return 0;
}

int TGameObject::OnUserEvent(int, int, float)
{
    return 0;
}

int TGameObject::Destroy()
{
    ClearAnimators();
    if (auto state = GetState()) state->RemoveGameObject(obj_key);
    return 0;
}

int TGameObject::QueueGameObjectAnimatorForDeletion(const std::string& key)
{
    GameObjectAnimatorDeleteQueue.push_back(key);
    return 0;
}

int TGameObject::RunAnimators()
{
    const int now = static_cast<int>(GameClock::Milliseconds());
    animators.ForEach([&](const std::string&, const std::shared_ptr<TGameObjectAnimator>& animator) {
        animator->OnAnimate(this, now);
    });
    return 0;
}

std::shared_ptr<TGameObjectAnimator> TGameObject::GetAnimator(const std::string& key)
{
    return animators.Get(key);
}

std::shared_ptr<TGameObjectAnimator> TGameObject::AddAnimator(const std::string& key,
                                                              std::shared_ptr<TGameObjectAnimator> animator)
{
    RemoveAnimator(key);
    animator->state_key = state_key;
    animator->obj_key = key;
    animators.Set(key, animator);
    return animator;
}

int TGameObject::RemoveAnimator(const std::string& key)
{
    std::shared_ptr<TGameObjectAnimator> animator = GetAnimator(key);
    if (!animator) return 0;
    animators.Remove(key);
    animator->Destroy();
    animator->state_key.clear();
    return 0;
}

int TGameObject::ClearAnimators()
{
    for (const auto& key : MapKeysToArray(animators)) RemoveAnimator(key);
    return 0;
}
