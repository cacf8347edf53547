#include "game/OptionsScreen.h"


namespace {

constexpr int kBackId = 101;

}  // namespace

int TVexmoorGameOptionsScreen::OnSetGameState(TGameState*)
{
    if (!guienv) return 0;
    // Straight from the GUI environment's font cache, not the game-wide resources.
    fnt = FontFromFile("fonts/pixfont_basic_36pt_bold.xml");
    sm_fnt = FontFromFile("fonts/pixfont_basic_18pt_bold.xml");
    sm_fnt2 = FontFromFile("fonts/pixfont_basic_28pt_bold.xml");
    back = AddMenuEntry(L"BACK", sm_fnt2, ScreenWidth() / 2, SY(475), kBackId);
    guienv->addCheckBox(true, irr::core::recti(10, 220, 200, 240), nullptr, -1, L"FULLSCREEN");
    return 0;
}

int TVexmoorGameOptionsScreen::OnLeaveGameState(TGameState*)
{
    if (guienv) guienv->clear();
    fnt = nullptr;
    sm_fnt = nullptr;
    back = nullptr;
    mouse_on = -1;
    return 0;
}

int TVexmoorGameOptionsScreen::OnUpdate()
{
    return BackToTitleOnClick(mouse_on, kBackId);
}

int TVexmoorGameOptionsScreen::OnRender()
{
    const int center = ScreenWidth() / 2;
    const irr::video::SColor color = SchemeColor("Background");
    if (fnt) {
        const int width = static_cast<int>(fnt->getDimension(L"OPTIONS").Width);
        DrawText(L"OPTIONS", fnt, color, center - width / 2, SY(50), -1, -1, 0, 0);
    }
    if (sm_fnt) {
        const int width = static_cast<int>(sm_fnt->getDimension(L"VIDEO").Width);
        DrawText(L"VIDEO", sm_fnt, color, center - width / 2, SY(150), -1, -1, 0, 0);
    }
    return 0;
}

int TVexmoorGameOptionsScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    return TrackHover(caller, eventType, mouse_on, false);
}
