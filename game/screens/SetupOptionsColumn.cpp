#include "game/screens/SetupOptionsColumn.h"

#include <algorithm>
#include <vector>

#include "game/VexmoorGameState.h"

namespace {

// The right-hand column between its vertical band (x 625 to 635) and the screen's edge,
// centred where "OPTIONS" and "EXIT" are; the rows stand above the band at y 450.
constexpr int kLeft = 637;
constexpr int kRight = 800;
constexpr int kCenter = 719;
constexpr int kFirstY = 36;
constexpr int kStep = 41;
constexpr int kValueOffset = 18;

// The values each option cycles through, in click order; the first of each list that the
// defaults hold is the game's original behaviour.
const std::vector<int> kBounceCycle = {1, 2, 3, 5};
const std::vector<int> kScoreCycle = {5, 10, 20};
const std::vector<int> kTimeCycle = {0, 136, 300};

// The value after `value` in `cycle`; a value outside it starts the cycle again.
int After(const std::vector<int>& cycle, int value)
{
    auto at = std::find(cycle.begin(), cycle.end(), value);
    return at == cycle.end() || at + 1 == cycle.end() ? cycle.front() : *(at + 1);
}

}  // namespace

const wchar_t* TSetupOptionsColumn::Label(Option option)
{
    static const wchar_t* const kLabels[kOptionCount] = {L"ARENA",   L"SHELLS",    L"BOUNCES", L"SCORE TO",
                                                         L"TIME LIMIT", L"GUIDED", L"INVISIBLE", L"RESPAWN",
                                                         L"MODE",    L"FRIENDLY FIRE"};
    return kLabels[option];
}

std::wstring TSetupOptionsColumn::ValueText(const TMatchOptions& options, Option option)
{
    switch (option) {
    case kArena: {
        static const wchar_t* const kNames[] = {L"OPEN FIELD", L"MAZE", L"FORTS", L"RANDOM", L"RANDOM MAZE"};
        if (options.arena != TArenaChoice::Custom) return kNames[static_cast<int>(options.arena)];
        // The menus' font has capitals only.
        std::wstring name;
        for (char c : options.customArena) name += static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return name;
    }
    case kShells: return options.shells == TShellKind::Bouncing ? L"BOUNCING" : L"STRAIGHT";
    case kBounces: return std::to_wstring(options.bounces);
    case kScoreTo: return std::to_wstring(options.scoreTo);
    case kTimeLimit: {
        if (options.timeLimitSeconds <= 0) return L"NONE";
        const int seconds = options.timeLimitSeconds % 60;
        return std::to_wstring(options.timeLimitSeconds / 60) + (seconds < 10 ? L":0" : L":") + std::to_wstring(seconds);
    }
    case kGuided: return options.guided ? L"ON" : L"OFF";
    case kInvisible: return options.invisible ? L"ON" : L"OFF";
    case kRespawn: return options.respawn == TRespawnRule::Safe ? L"SAFE" : L"ANYWHERE";
    case kMode: return options.mode == TMatchMode::Teams ? L"TEAMS" : L"FREE FOR ALL";
    case kFriendlyFire: return options.friendlyFire ? L"ON" : L"OFF";
    case kOptionCount: break;
    }
    return L"";
}

void TSetupOptionsColumn::Next(TMatchOptions& options, Option option, const std::vector<std::string>& customArenas)
{
    switch (option) {
    case kArena: {
        // OPEN FIELD, MAZE, FORTS, RANDOM, RANDOM MAZE, then each arena file by name; a file
        // that is gone starts the cycle again.
        if (options.arena == TArenaChoice::RandomMaze || options.arena == TArenaChoice::Custom) {
            auto next = customArenas.begin();
            if (options.arena == TArenaChoice::Custom) {
                next = std::find(customArenas.begin(), customArenas.end(), options.customArena);
                if (next != customArenas.end()) ++next;
            }
            if (next == customArenas.end()) {
                options.arena = TArenaChoice::OpenField;
            } else {
                options.arena = TArenaChoice::Custom;
                options.customArena = *next;
            }
        } else {
            options.arena = static_cast<TArenaChoice>(static_cast<int>(options.arena) + 1);
        }
        break;
    }
    case kShells:
        options.shells = options.shells == TShellKind::Straight ? TShellKind::Bouncing : TShellKind::Straight;
        break;
    case kBounces: options.bounces = After(kBounceCycle, options.bounces); break;
    case kScoreTo: options.scoreTo = After(kScoreCycle, options.scoreTo); break;
    case kTimeLimit: options.timeLimitSeconds = After(kTimeCycle, options.timeLimitSeconds); break;
    case kGuided: options.guided = !options.guided; break;
    case kInvisible: options.invisible = !options.invisible; break;
    case kRespawn:
        options.respawn = options.respawn == TRespawnRule::Anywhere ? TRespawnRule::Safe : TRespawnRule::Anywhere;
        break;
    case kMode: options.mode = options.mode == TMatchMode::FreeForAll ? TMatchMode::Teams : TMatchMode::FreeForAll; break;
    case kFriendlyFire: options.friendlyFire = !options.friendlyFire; break;
    case kOptionCount: break;
    }
}

void TSetupOptionsColumn::Build(TVexmoorGameState& screen, TMatchOptions& options,
                                std::vector<std::string> customArenas)
{
    options_ = &options;
    customArenas_ = std::move(customArenas);
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    if (!screen.guienv || !font) return;
    const int height = static_cast<int>(font->getDimension(L"0").Height);
    for (int i = 0; i < kOptionCount; ++i) {
        const int y = kFirstY + kStep * i + kValueOffset;
        // Each value spans the column, so the whole row answers the mouse.
        irr::gui::IGUIStaticText* entry =
            screen.AddTextCell(L"", font, irr::core::recti(kLeft, y, kRight, y + height), Id(static_cast<Option>(i)), true);
        screen.AddToMenu(entry);
        values[static_cast<size_t>(i)] = entry;
        Show(static_cast<Option>(i));
    }
}

void TSetupOptionsColumn::Clear()
{
    values = {};
}

void TSetupOptionsColumn::Previous(TMatchOptions& options, Option option, const std::vector<std::string>& customArenas)
{
    // The same value: the same text and, for an arena, the same choice (and file, for one).
    auto same = [option](const TMatchOptions& a, const TMatchOptions& b) {
        if (option != kArena) return ValueText(a, option) == ValueText(b, option);
        return a.arena == b.arena && (a.arena != TArenaChoice::Custom || a.customArena == b.customArena);
    };
    TMatchOptions at = options;
    for (size_t step = 0; step < 64 + customArenas.size(); ++step) {
        TMatchOptions next = at;
        Next(next, option, customArenas);
        if (same(next, options)) {
            options = at;
            return;
        }
        at = next;
    }
}

bool TSetupOptionsColumn::Step(int id, int direction)
{
    if (!Clickable(id) || !options_) return false;
    const Option option = static_cast<Option>(id - kFirstId);
    if (direction < 0)
        Previous(*options_, option, customArenas_);
    else
        Next(*options_, option, customArenas_);
    Show(option);
    return true;
}

void TSetupOptionsColumn::Draw(TVexmoorGameState& screen)
{
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    if (!font) return;
    const irr::video::SColor color = screen.SchemeColor("Tank2");
    for (int i = 0; i < kOptionCount; ++i) {
        const wchar_t* label = Label(static_cast<Option>(i));
        const int width = static_cast<int>(font->getDimension(label).Width);
        screen.DrawText(label, font, color, kCenter - width / 2, kFirstY + kStep * i, -1, -1, 0, 0);
    }
}

void TSetupOptionsColumn::Show(Option option)
{
    if (options_ && values[static_cast<size_t>(option)])
        values[static_cast<size_t>(option)]->setText(ValueText(*options_, option).c_str());
}
