// The start-up state "InitGame": opens the window, picks a color scheme, loads the
// game-wide fonts and menu sound, and hands over to the title screen after half a second.
#pragma once

#include <string>

#include "game/VexmoorGameState.h"

class TVexmoorGameInit : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameInit, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    // The first update does the one-time work; from frameDelay ms after entry on, every
    // update asks for the title screen until the switch happens.
    int OnUpdate() override;
    int OnRender() override;

    int width = 800;
    int height = 600;
    // The engine's driver type for the window: 5 is OpenGL, 0 the windowless NULL driver.
    int driverType = 5;
    // The screen that follows (the arena when the command line starts a network match).
    std::string next = "TitleScreen";
    int frameDelay = 500;
    int start = 0;
    int initCalled = 0;

private:
    void LoadGameResources(TVexmoor& game);
};
