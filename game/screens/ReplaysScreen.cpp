#include "game/screens/ReplaysScreen.h"

#include <cctype>

#include "framework/GameEventReceiver.h"
#include "game/Vexmoor.h"

namespace {

// For an 800x600 screen: the heading, then the lines one under the other, the message
// under them and BACK at the bottom.
constexpr int kHeadingY = 40;
constexpr int kFirstLineY = 100;
constexpr int kLineStep = 21;
constexpr int kMessageY = 525;
constexpr int kBackY = 550;
// As many as the folder keeps, and a few foreign files beside them.
constexpr size_t kShown = 20;

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring Upper(const std::string& text)
{
    std::wstring wide;
    for (char c : text) wide += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    return wide;
}

}  // namespace

int TVexmoorReplaysScreen::OnSetGameState(TGameState*)
{
    TVexmoor* game = GetGame();
    const std::string folder = game ? game->replayFolder : std::string();
    entries = folder.empty() ? std::vector<replay::TReplayEntry>{}
                             : replay::TReplayCatalog::List(replay::TReplayFolder(folder));
    if (entries.size() > kShown) entries.resize(kShown);
    message.clear();
    if (game && !game->replayRefused.empty()) {
        // The arena found the chosen replay unplayable after all.
        message = L"THAT REPLAY " + Upper(game->replayRefused);
        game->replayRefused.clear();
    } else if (entries.empty()) {
        message = folder.empty() ? L"NO REPLAYS: MATCHES ARE NOT RECORDED"
                                 : L"NO REPLAYS YET: EVERY MATCH IS RECORDED IN " + Wide(folder);
    }
    if (!guienv) return 0;
    irr::gui::IGUIFont* font = GameFont("fnt_12");
    const int center = ScreenWidth() / 2;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::wstring line = Upper(replay::TReplayCatalog::Line(entries[i]));
        AddMenuEntry(line.c_str(), font, center, SY(kFirstLineY + kLineStep * static_cast<int>(i)),
                     kFirstEntryId + static_cast<int>(i));
    }
    AddMenuEntry(L"BACK", GameFont("fnt_28"), center, SY(kBackY), kBackId);
    return 0;
}

int TVexmoorReplaysScreen::OnLeaveGameState(TGameState*)
{
    if (guienv) guienv->clear();
    mouse_on = -1;
    return 0;
}

int TVexmoorReplaysScreen::Choose(size_t index)
{
    if (index >= entries.size()) return 0;
    const replay::TReplayEntry& entry = entries[index];
    if (!entry.readable) {
        message = L"THAT REPLAY " + Upper(entry.problem) + L": IT CANNOT BE PLAYED";
        return 0;
    }
    TVexmoor* game = GetGame();
    if (!game) return 0;
    game->replayToPlay = entry.path;
    game->afterReplay = state_key.empty() ? "ReplaysScreen" : state_key;
    SetNextState("Arena");
    return 0;
}

int TVexmoorReplaysScreen::OnUpdate()
{
    TGameEventReceiver* events = Events();
    if (!events) return 0;
    if (events->MouseHitCnt(0, 1)) {
        if (mouse_on == kBackId)
            SetNextState("TitleScreen");
        else if (mouse_on >= kFirstEntryId)
            Choose(static_cast<size_t>(mouse_on - kFirstEntryId));
    }
    events->FlushMouse();
    return 0;
}

int TVexmoorReplaysScreen::OnRender()
{
    const int center = ScreenWidth() / 2;
    auto centered = [&](const std::wstring& text, irr::gui::IGUIFont* font, int y) {
        if (!font) return;
        const int width = static_cast<int>(font->getDimension(text.c_str()).Width);
        DrawText(text, font, SchemeColor("Background"), center - width / 2, SY(y), -1, -1, 0, 0);
    };
    centered(L"REPLAYS", GameFont("fnt_36"), kHeadingY);
    if (!message.empty()) centered(message, GameFont("fnt_12"), kMessageY);
    return 0;
}

int TVexmoorReplaysScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    return TrackHover(caller, eventType, mouse_on, true);
}
