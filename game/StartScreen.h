// The match set-up screen "StartScreen": a frame of lines with the player table's column
// headings and an "OPTIONS" heading, and "EXIT" to the title.
#pragma once

#include "game/VexmoorGameState.h"

class TVexmoorGameStartScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameStartScreen, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    // The frame and headings, in unscaled screen pixels.
    virtual int DrawFrame();

    irr::gui::IGUIStaticText* back = nullptr;
    int mouse_on = -1;
};
