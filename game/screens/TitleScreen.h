// The title menu "TitleScreen": the game's name, the entries "START GAME", "MATCH SETUP",
// "REPLAYS", "OPTIONS", "CREDITS" and "QUIT GAME" lit under the mouse, and a color scheme that changes every five seconds
// until F12 takes the color changes over.
#pragma once

#include "game/VexmoorGameState.h"

class TVexmoorGameTitleScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameTitleScreen, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    // Steps to the next scheme and recolors the entries, keeping the hovered one lit.
    virtual int IncrementColorScheme();

    irr::gui::IGUIStaticText* start = nullptr;
    irr::gui::IGUIStaticText* setup = nullptr;  // id 105: the match set-up screen
    irr::gui::IGUIStaticText* replays = nullptr;  // id 106: the replay list
    irr::gui::IGUIStaticText* options = nullptr;
    irr::gui::IGUIStaticText* credits = nullptr;
    irr::gui::IGUIStaticText* quit = nullptr;
    irr::gui::IGUIStaticText* title = nullptr;  // unused
    int lastTime = 0;
    int auto_cycle_colors = 1;
    int mouse_on = -1;
};
