// The credits "CreditsScreen": centered headings and names, and "BACK" to the title.
#pragma once

#include "game/VexmoorGameState.h"

class TVexmoorGameCreditsScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameCreditsScreen, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;

    irr::gui::IGUIStaticText* back = nullptr;
    int mouse_on = -1;
};
