// The options screen "OptionsScreen": "OPTIONS", the VIDEO section (FULLSCREEN, WINDOW
// SIZE, FRAME RATE), SOUND (the master volume), CONTROLS (each player's keys) and "BACK"
// to the title. Every change takes effect at once; the settings file is written when
// the screen is left.
#pragma once

#include <string>

#include "game/screens/OptionsControls.h"
#include "game/VexmoorGameState.h"

class TVexmoorGameOptionsScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorGameOptionsScreen, TVexmoorGameState)

public:
    static constexpr int kBackId = 101;
    static constexpr int kFullscreenId = 160;
    static constexpr int kWindowSizeId = 161;
    static constexpr int kFrameRateId = 162;
    static constexpr int kQuieterId = 163;
    static constexpr int kLouderId = 164;

    int OnSetGameState(TGameState* previous) override;
    // Writes the settings (once, here); a failure is said the next time the screen shows.
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    // Lights the entry under the mouse; this screen plays no hover sound (the volume
    // entries play it to let the new volume be heard).
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    // While a key cell waits, the next key pressed is kept for it.
    int OnKeyEvent(int key, int pressedDown, int shift, int control, int menu, int lmenu, int rmenu) override;
    int IsCapturingKeys() override;
    // Return on FULLSCREEN ticks or unticks the box, as a click does.
    int ChooseHighlighted() override;
    // Left and Right step WINDOW SIZE and FRAME RATE back and on, and the volume down and
    // up from either of its steps.
    int StepHighlighted(int direction) override;

    static std::wstring WindowSizeText(int width, int height);
    static std::wstring FrameRateText(int frameRate);

    irr::gui::IGUIFont* fnt = nullptr;      // heading
    irr::gui::IGUIFont* sm_fnt = nullptr;   // section headings
    irr::gui::IGUIFont* sm_fnt2 = nullptr;  // "BACK"
    irr::gui::IGUIStaticText* back = nullptr;
    irr::gui::IGUICheckBox* fullscreen = nullptr;
    irr::gui::IGUIStaticText* windowSize = nullptr;
    irr::gui::IGUIStaticText* frameRate = nullptr;
    irr::gui::IGUIStaticText* quieter = nullptr;
    irr::gui::IGUIStaticText* louder = nullptr;
    TOptionsControls controls;
    // The line under BACK: why a video mode or a key was not taken, or that the settings
    // cannot be saved. Empty when there is nothing to say.
    std::wstring notice;
    int mouse_on = -1;

private:
    void Build();
    void Teardown();
    // The device is made anew in the video settings as they are now at the end of this
    // or the next update (never inside the engine's event delivery); before is what they
    // were and wasFullscreen the mode in effect then.
    void RequestVideoSwitch(const TSettings& before, bool wasFullscreen);
    void SwitchVideo();
    void ToggleFullscreen(bool on);
    // The stepped entry id a step on (1) or back (-1).
    void StepValue(int id, int direction);
    void StepVolume(int step);
    void Show();

    bool switchPending_ = false;
    TSettings switchFrom_;
    bool switchFromFullscreen_ = false;
    int pendingKey_ = 0;
    // The skin's text color and font as they were before this screen took them.
    bool skinTaken_ = false;
    irr::video::SColor skinText_;
    irr::gui::IGUIFont* skinFont_ = nullptr;
};
