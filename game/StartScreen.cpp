#include "game/StartScreen.h"


namespace {

constexpr int kExitId = 101;
// Center of the right-hand column that holds "OPTIONS" and "EXIT".
constexpr int kRightColumnCenter = 719;

}  // namespace

int TVexmoorGameStartScreen::OnSetGameState(TGameState*)
{
    if (!guienv) return 0;
    back = AddMenuEntry(L"EXIT", GameFont("fnt_14"), kRightColumnCenter, SY(560), kExitId);
    return 0;
}

int TVexmoorGameStartScreen::OnLeaveGameState(TGameState*)
{
    if (guienv) guienv->clear();
    back = nullptr;
    mouse_on = -1;
    return 0;
}

int TVexmoorGameStartScreen::OnUpdate()
{
    return BackToTitleOnClick(mouse_on, kExitId);
}

int TVexmoorGameStartScreen::OnRender()
{
    return DrawFrame();
}

int TVexmoorGameStartScreen::DrawFrame()
{
    const irr::video::SColor color = SchemeColor("Tank2");
    DrawHorizontalLine(0, 450, 800, 10, color);
    DrawHorizontalLine(0, 30, 625, 5, color);
    DrawVerticalLine(625, 0, 640, 10, color);
    DrawVerticalLine(225, 0, 450, 5, color);
    DrawVerticalLine(375, 0, 450, 5, color);
    DrawVerticalLine(475, 0, 450, 5, color);

    irr::gui::IGUIFont* font = GameFont("fnt_14");
    if (!font) return 0;
    const int optionsWidth = static_cast<int>(font->getDimension(L"OPTIONS").Width);
    DrawText(L"OPTIONS", font, color, kRightColumnCenter - optionsWidth / 2, 0, -1, -1, 0, 0);
    DrawText(L"PLAYER", font, color, 5, 0, -1, -1, 0, 0);
    DrawText(L"TANK", font, color, 260, 0, -1, -1, 0, 0);
    DrawText(L"W/L", font, color, 400, 0, -1, -1, 0, 0);
    DrawText(L"STATUS", font, color, 505, 0, -1, -1, 0, 0);
    return 0;
}

int TVexmoorGameStartScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    return TrackHover(caller, eventType, mouse_on, true);
}
