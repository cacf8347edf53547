#include "game/screens/CreditsScreen.h"


namespace {

constexpr int kBackId = 101;

struct CreditLine {
    const wchar_t* text;
    const char* font;
    const char* color;
    int y;  // for an 800x600 screen
};

// Headings in "Background", names in "Tank2", in drawing order.
constexpr CreditLine kCredits[] = {
    {L"CREDITS", "fnt_36", "Background", 50},
    {L"PROGRAMMING & DESIGN", "fnt_18", "Background", 150},
    {L"The Vexmoor team", "fnt_12", "Tank2", 185},
    {L"ORIGINAL ARTWORK", "fnt_18", "Background", 220},
    {L"Models and sounds by the Vexmoor team", "fnt_12", "Tank2", 255},
    {L"Fonts: DejaVu Sans, rasterized by FreeType", "fnt_12", "Tank2", 280},
    {L"Special Thanks", "fnt_18", "Background", 315},
    {L"The Irrlicht 3D engine", "fnt_12", "Tank2", 350},
    {L"OpenAL Soft", "fnt_12", "Tank2", 375},
    {L"Ogg Vorbis by the Xiph.Org Foundation", "fnt_12", "Tank2", 400},
    {L"The DejaVu fonts and FreeType", "fnt_12", "Tank2", 425},
};

}  // namespace

int TVexmoorGameCreditsScreen::OnSetGameState(TGameState*)
{
    if (!guienv) return 0;
    back = AddMenuEntry(L"BACK", GameFont("fnt_28"), ScreenWidth() / 2, SY(475), kBackId);
    return 0;
}

int TVexmoorGameCreditsScreen::OnLeaveGameState(TGameState*)
{
    if (guienv) guienv->clear();
    back = nullptr;
    mouse_on = -1;
    return 0;
}

int TVexmoorGameCreditsScreen::OnUpdate()
{
    return BackToTitleOnClick(mouse_on, kBackId);
}

int TVexmoorGameCreditsScreen::OnRender()
{
    const int center = ScreenWidth() / 2;
    // Fonts and colors are read every frame, so a new scheme shows at once.
    for (const CreditLine& line : kCredits) {
        irr::gui::IGUIFont* font = GameFont(line.font);
        if (!font) continue;
        const int width = static_cast<int>(font->getDimension(line.text).Width);
        DrawText(line.text, font, SchemeColor(line.color), center - width / 2, SY(line.y), -1, -1, 0, 0);
    }
    return 0;
}

int TVexmoorGameCreditsScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    return TrackHover(caller, eventType, mouse_on, true);
}
