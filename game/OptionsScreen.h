// The options screen "OptionsScreen": "OPTIONS", a "VIDEO" section with a "FULLSCREEN"
// check box that nothing reads yet, and "BACK" to the title.
#pragma once

#include "game/VexmoorGameState.h"

class TVexmoorGameOptionsScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameOptionsScreen, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    // Lights "BACK" under the mouse; this screen plays no hover sound.
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;

    irr::gui::IGUIFont* fnt = nullptr;      // heading
    irr::gui::IGUIFont* sm_fnt = nullptr;   // section heading
    irr::gui::IGUIFont* sm_fnt2 = nullptr;  // "BACK"
    irr::gui::IGUIStaticText* back = nullptr;
    int mouse_on = -1;
};
