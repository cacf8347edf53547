#include "game/screens/TitleScreen.h"

#include <iterator>

#include "framework/Clock.h"
#include "framework/GameEventReceiver.h"
#include "game/Vexmoor.h"

namespace {

constexpr int kF12 = 123;
constexpr uint32_t kColorPeriodMs = 5000;

// The entries from top to bottom, each kEntryStep px (scaled) under the one before.
constexpr int kFirstEntryY = 200, kEntryStep = 65;
struct EntryRow {
    int id;
    const wchar_t* text;
    irr::gui::IGUIStaticText* TVexmoorGameTitleScreen::*field;
};
using Title = TVexmoorGameTitleScreen;
const EntryRow kEntries[] = {
    {101, L"START GAME", &Title::start},
    {105, L"MATCH SETUP", &Title::setup},
    {106, L"REPLAYS", &Title::replays},
    {102, L"OPTIONS", &Title::options},
    {103, L"CREDITS", &Title::credits},
    {104, L"QUIT GAME", &Title::quit},
};

// Menu ids and the state a click on each asks for.
struct MenuRow {
    int id;
    const char* next;
};
constexpr MenuRow kMenu[] = {
    {101, "Arena"}, {102, "OptionsScreen"}, {103, "CreditsScreen"}, {104, ""}, {105, "StartScreen"},
    {106, "ReplaysScreen"},
};

}  // namespace

int TVexmoorGameTitleScreen::OnSetGameState(TGameState*)
{
    if (!guienv) return 0;
    irr::gui::IGUIFont* font = GameFont("fnt_28");
    const int center = ScreenWidth() / 2;
    // 200, 265, 330, 395, 460, 525 at 800x600, scaled once: scaling each entry's scaled
    // place again would push the lower entries off any taller screen.
    for (size_t i = 0; i < std::size(kEntries); ++i) {
        const EntryRow& row = kEntries[i];
        this->*row.field = AddMenuEntry(row.text, font, center, SY(kFirstEntryY + kEntryStep * static_cast<int>(i)), row.id);
    }
    return 0;
}

int TVexmoorGameTitleScreen::OnLeaveGameState(TGameState*)
{
    if (guienv) guienv->clear();
    if (smgr) smgr->clear();
    start = setup = replays = options = credits = quit = nullptr;
    mouse_on = -1;
    return 0;
}

int TVexmoorGameTitleScreen::OnUpdate()
{
    TGameEventReceiver* events = Events();
    const uint32_t now = GameClock::Milliseconds();
    if (auto_cycle_colors == 1 && now - static_cast<uint32_t>(lastTime) > kColorPeriodMs) {
        IncrementColorScheme();
        lastTime = static_cast<int>(now);
    } else if (events && events->IsKeyDownUp(kF12, 1)) {
        // The player takes the colors over for the rest of the run.
        IncrementColorScheme();
        auto_cycle_colors = 0;
    }

    for (const MenuRow& row : kMenu)
        if (mouse_on == row.id && events && events->MouseHitCnt(0, 1)) SetNextState(row.next);
    // Clicks that met no entry are dropped, so they cannot fire one later.
    if (events) events->FlushMouse();
    return 0;
}

int TVexmoorGameTitleScreen::IncrementColorScheme()
{
    TVexmoor* game = GetGame();
    if (!game) return 0;
    game->SetCurrentColorScheme(game->ColorSchemeIdx + 1);
    const int hovered = mouse_on;
    for (const EntryRow& row : kEntries)
        if (irr::gui::IGUIStaticText* entry = this->*row.field) OnGUIEvent(entry, entry->getID() == hovered ? irr::gui::EGET_ELEMENT_HOVERED
                                                               : irr::gui::EGET_ELEMENT_LEFT);
    mouse_on = hovered;
    return 0;
}

int TVexmoorGameTitleScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    return TrackHover(caller, eventType, mouse_on, true);
}

int TVexmoorGameTitleScreen::OnRender()
{
    irr::gui::IGUIFont* font = GameFont("fnt_36");
    if (!font) return 0;
    const wchar_t* text = L"Vexmoor";
    const int width = static_cast<int>(font->getDimension(text).Width);
    DrawText(text, font, SchemeColor("Background"), ScreenWidth() / 2 - width / 2, SY(50), -1, -1, 0, 0);
    return 0;
}
