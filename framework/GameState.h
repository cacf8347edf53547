// One screen of the game: keyed objects, views and animators, and the per-frame
// pipeline the main loop drives while the state is current.
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/GameBase.h"
#include "framework/ObjectLookup.h"

class TGameObject;
class TGameView;
class TGameState;

// Runs once per frame with the current time, for effects that belong to a screen.
class TGameStateAnimator : public TGameBase {
    VEXMOOR_CLASS(TGameStateAnimator, TGameBase)

public:
    virtual int OnAnimate(TGameState* state, int timeMs);
    virtual int Destroy();

    std::string obj_key;
};

class TGameState : public TGameBase {
    VEXMOOR_CLASS(TGameState, TGameBase)

public:
    TGameState();
    ~TGameState() override;

    virtual int SetNextState(const std::string& name);
    // How many updates (pre-update to post-update) the main loop runs before this frame's
    // draw: 1, or for a state that keeps to times of its own (a replay) 0 or more.
    virtual int UpdatesThisFrame();
    virtual int OnSetGameState(TGameState* previous);
    virtual int OnPreUpdate();
    virtual int UpdateObjects();
    virtual int OnUpdate();
    virtual int OnPostUpdate();
    virtual int PostUpdateObjects();
    virtual int OnPreRender();
    virtual int OnRender();
    virtual int OnPostRender();
    virtual int Render();
    virtual int OnLeaveGameState(TGameState* next);

    // Input hooks (called by the input receiver); non-zero consumes the event.
    virtual int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType);
    virtual int OnMouseEvent(int mouseEvent, int button, int x, int y, float wheel);
    virtual int OnKeyEvent(int key, int pressedDown, int shift, int control, int menu, int lmenu, int rmenu);
    virtual int OnUserEvent(int data1, int data2, float data3);

    virtual float GetSpeedFactor();

    // 2D drawing with the game's driver; a missing color means opaque white.
    virtual int DrawText(const std::wstring& text, irr::gui::IGUIFont* font,
                         std::optional<irr::video::SColor> color, int x, int y, int width, int height,
                         int hcenter, int vcenter);
    virtual int DrawLine(int x1, int y1, int x2, int y2, std::optional<irr::video::SColor> color);
    virtual int DrawHorizontalLine(int x1, int y, int x2, int thickness, std::optional<irr::video::SColor> color);
    virtual int DrawVerticalLine(int x, int y1, int y2, int thickness, std::optional<irr::video::SColor> color);

    virtual std::shared_ptr<TGameView> GetGameView(const std::string& key);
    virtual std::shared_ptr<TGameView> AddGameView(const std::string& key, std::shared_ptr<TGameView> view);
    virtual int RemoveGameView(const std::string& key);
    virtual int SetGameView(const std::string& key);
    virtual std::shared_ptr<TGameView> GetCurrentGameView();
    virtual int ClearGameViews();

    virtual int QueueGameObjectForDeletion(const std::string& key);
    virtual std::shared_ptr<TGameObject> GetGameObject(const std::string& key);
    virtual std::shared_ptr<TGameObject> AddGameObject(const std::string& key, std::shared_ptr<TGameObject> object);
    virtual int RemoveGameObject(const std::string& key);
    virtual int ClearGameObjects();
    virtual std::vector<std::shared_ptr<TGameObject>> GetGameObjects(const std::string& typeName);

    virtual int QueueAnimatorForDeletion(const std::string& key);
    virtual int RunAnimators();
    virtual std::shared_ptr<TGameStateAnimator> GetAnimator(const std::string& key);
    virtual std::shared_ptr<TGameStateAnimator> AddAnimator(const std::string& key,
                                                            std::shared_ptr<TGameStateAnimator> animator);
    virtual int RemoveAnimator(const std::string& key);
    virtual int ClearAnimators();

    // The object under key as the class the caller expects, or null.
    template <class T>
    std::shared_ptr<T> GetGameObjectAs(const std::string& key)
    {
        return std::dynamic_pointer_cast<T>(GetGameObject(key));
    }

    // The same, made again only when the object registry has changed since the lookup
    // remembered in last (or the key differs from its key).
    template <class T>
    std::shared_ptr<T> GetGameObjectAs(const std::string& key, TObjectLookup<T>& last)
    {
        return RememberedLookup(GameObjects, key, last, [&] { return GetGameObjectAs<T>(key); });
    }

    std::string state_key;
    irr::scene::ISceneManager* smgr = nullptr;
    irr::gui::IGUIEnvironment* guienv = nullptr;
    std::string currentGameView;
    std::string nextState;
    int pendingNextState = 0;
    std::deque<std::string> GameObjectDeleteQueue;
    KeyedMap<std::shared_ptr<TGameStateAnimator>> animators;
    std::deque<std::string> AnimatorDeleteQueue;
    KeyedMap<std::shared_ptr<TGameObject>> GameObjects;
    KeyedMap<std::shared_ptr<TGameView>> GameViews;

private:
    TObjectLookup<TGameView> currentView_;
};
