// A game view: a named set of cameras, each with its own viewport, plus sub-views drawn
// after it. A state draws through its current view instead of the scene's active camera.
#pragma once

#include <irrlicht.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/objects/GameObject.h"

class TGameView : public TGameObjectBase {
    VEXMOOR_CLASS(TGameView, TGameObjectBase)

public:
    virtual int GetCameraCount();
    virtual int GetViewCount(int deep);
    virtual int AddView(std::shared_ptr<TGameView> view);
    // A missing viewport means the game's whole screen.
    virtual int AddCamera(irr::scene::ICameraSceneNode* camera,
                          std::optional<irr::core::recti> viewport = std::nullopt);
    virtual int Render();
    virtual int OnRender(irr::scene::ICameraSceneNode* camera);
    virtual int OnSetGameView(TGameView* previous);
    virtual int OnLeaveGameView(TGameView* next);
    virtual int OnPreRender(irr::scene::ICameraSceneNode* camera);
    virtual int OnPostRender(irr::scene::ICameraSceneNode* camera);
    virtual int Destroy();

    // Cameras belong to the scene graph; the view only refers to them.
    std::vector<irr::scene::ICameraSceneNode*> cameras;
    std::map<irr::scene::ICameraSceneNode*, irr::core::recti> viewports;
    std::vector<std::string> views;

protected:
    // Calls f on every sub-view found in the owning state, in list order.
    template <class F>
    void ForEachSubView(F&& f);
};
