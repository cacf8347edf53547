#include "game/settings/SettingsSchema.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <utility>

#include "game/settings/KeyNames.h"

namespace {

template <class T>
using Field = std::function<T&(TSettings&)>;

template <class T>
T& Of(const Field<T>& field, const TSettings& settings)
{
    return field(const_cast<TSettings&>(settings));
}

template <class T>
std::function<void(TSettings&, const TSettings&)> Reset(Field<T> field)
{
    return [field](TSettings& settings, const TSettings& defaults) { field(settings) = Of(field, defaults); };
}

bool ParseInt(const std::string& text, int& out)
{
    if (text.empty() || text.size() > 10) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < -2147483647L || value > 2147483647L) return false;
    out = static_cast<int>(value);
    return true;
}

TSettingsEntry BoolEntry(const char* section, const char* key, Field<bool> field)
{
    return {section, key,
            [field](TSettings& settings, const std::string& text) {
                if (text == "true" || text == "yes" || text == "1") field(settings) = true;
                else if (text == "false" || text == "no" || text == "0") field(settings) = false;
                else return false;
                return true;
            },
            [field](const TSettings& settings) { return std::string(Of(field, settings) ? "true" : "false"); },
            Reset(field), nullptr};
}

// An integer from lo to hi, a multiple of step.
TSettingsEntry IntEntry(const char* section, const char* key, Field<int> field, int lo, int hi, int step = 1,
                        bool counted = false)
{
    TSettingsEntry entry{section, key,
            [=](TSettings& settings, const std::string& text) {
                int value = 0;
                if (!ParseInt(text, value) || value < lo || value > hi || value % step != 0) return false;
                field(settings) = value;
                return true;
            },
            [field](const TSettings& settings) { return std::to_string(Of(field, settings)); },
            Reset(field), nullptr};
    if (counted) entry.count = [field](TSettings& settings) -> int& { return field(settings); };
    return entry;
}

// An arena's name: 0 to 24 plain ASCII characters, blanks inside only.
TSettingsEntry NameEntry(const char* section, const char* key, Field<std::string> field)
{
    return {section, key,
            [field](TSettings& settings, const std::string& text) {
                if (text.size() > 24 || (!text.empty() && (text.front() == ' ' || text.back() == ' '))) return false;
                for (char c : text)
                    if (c < ' ' || c > '~') return false;
                field(settings) = text;
                return true;
            },
            [field](const TSettings& settings) { return Of(field, settings); }, Reset(field), nullptr};
}

// An integer out of a short list.
TSettingsEntry ListEntry(const char* section, const char* key, Field<int> field, std::vector<int> allowed)
{
    return {section, key,
            [=](TSettings& settings, const std::string& text) {
                int value = 0;
                if (!ParseInt(text, value) || std::find(allowed.begin(), allowed.end(), value) == allowed.end())
                    return false;
                field(settings) = value;
                return true;
            },
            [field](const TSettings& settings) { return std::to_string(Of(field, settings)); },
            Reset(field), nullptr};
}

// One of a few named values.
template <class T>
TSettingsEntry NamedEntry(const char* section, const char* key, Field<T> field,
                          std::vector<std::pair<T, const char*>> names)
{
    return {section, key,
            [=](TSettings& settings, const std::string& text) {
                for (const auto& [value, name] : names)
                    if (text == name) {
                        field(settings) = value;
                        return true;
                    }
                return false;
            },
            [=](const TSettings& settings) {
                for (const auto& [value, name] : names)
                    if (Of(field, settings) == value) return std::string(name);
                return std::string(names.front().second);
            },
            Reset(field), nullptr};
}

TSettingsEntry KeyEntry(const char* section, const char* key, Field<int> field)
{
    return {section, key,
            [field](TSettings& settings, const std::string& text) {
                const int code = KeyNames::Code(text);
                if (!KeyNames::IsBindable(code)) return false;
                field(settings) = code;
                return true;
            },
            [field](const TSettings& settings) { return KeyNames::Name(Of(field, settings)); },
            Reset(field), nullptr};
}

TSettingsEntry WindowSizeEntry()
{
    auto text = [](int width, int height) { return std::to_string(width) + "x" + std::to_string(height); };
    return {"video", "window_size",
            [text](TSettings& settings, const std::string& value) {
                for (const TWindowSize& size : kWindowSizes)
                    if (value == text(size.width, size.height)) {
                        settings.windowWidth = size.width;
                        settings.windowHeight = size.height;
                        return true;
                    }
                return false;
            },
            [text](const TSettings& settings) { return text(settings.windowWidth, settings.windowHeight); },
            [](TSettings& settings, const TSettings& defaults) {
                settings.windowWidth = defaults.windowWidth;
                settings.windowHeight = defaults.windowHeight;
            },
            nullptr};
}

TSettingsEntry FrameRateEntry()
{
    return {"video", "frame_rate",
            [](TSettings& settings, const std::string& text) {
                int value = 0;
                if (text == "as_fast_as_possible") value = kFrameRateUncapped;
                else if (text == "match_display") value = kFrameRateVsync;
                else if (!ParseInt(text, value) || value <= 0 ||
                         std::find(std::begin(kFrameRates), std::end(kFrameRates), value) == std::end(kFrameRates))
                    return false;
                settings.frameRate = value;
                return true;
            },
            [](const TSettings& settings) {
                if (settings.frameRate == kFrameRateUncapped) return std::string("as_fast_as_possible");
                if (settings.frameRate == kFrameRateVsync) return std::string("match_display");
                return std::to_string(settings.frameRate);
            },
            [](TSettings& settings, const TSettings& defaults) { settings.frameRate = defaults.frameRate; },
            nullptr};
}

void AddPlayerEntries(std::vector<TSettingsEntry>& entries, int slot)
{
    static const char* kSections[kMaxPlayers] = {"player1", "player2", "player3", "player4"};
    const char* section = kSections[slot];
    auto player = [slot](TSettings& settings) -> TPlayerSetup& { return settings.players[static_cast<size_t>(slot)]; };
    entries.push_back(NamedEntry<TTankModel>(section, "tank", [player](TSettings& s) -> TTankModel& { return player(s).tank; },
                                             {{TTankModel::Boxy, "boxy"}, {TTankModel::Sleek, "sleek"}}));
    std::vector<std::pair<TPlayerStatus, const char*>> statuses = {
        {TPlayerStatus::Human, "human"},          {TPlayerStatus::ComputerEasy, "computer_easy"},
        {TPlayerStatus::ComputerNormal, "computer_normal"}, {TPlayerStatus::ComputerHard, "computer_hard"},
        {TPlayerStatus::Gamepad1, "gamepad1"},    {TPlayerStatus::Gamepad2, "gamepad2"},
        {TPlayerStatus::Gamepad3, "gamepad3"},    {TPlayerStatus::Gamepad4, "gamepad4"},
        {TPlayerStatus::Network, "network"}};
    // A match needs players 1 and 2: only players 3 and 4 may be off.
    if (slot >= 2) statuses.push_back({TPlayerStatus::Off, "off"});
    entries.push_back(NamedEntry<TPlayerStatus>(
        section, "status", [player](TSettings& s) -> TPlayerStatus& { return player(s).status; }, statuses));
    entries.push_back(KeyEntry(section, "forward", [player](TSettings& s) -> int& { return player(s).keys.forward; }));
    entries.push_back(KeyEntry(section, "left", [player](TSettings& s) -> int& { return player(s).keys.left; }));
    entries.push_back(KeyEntry(section, "right", [player](TSettings& s) -> int& { return player(s).keys.right; }));
    entries.push_back(KeyEntry(section, "fire", [player](TSettings& s) -> int& { return player(s).keys.fire; }));
    entries.push_back(IntEntry(section, "wins", [player](TSettings& s) -> int& { return player(s).wins; }, 0, TSettingsSchema::kMaxCount, 1, true));
    entries.push_back(
        IntEntry(section, "losses", [player](TSettings& s) -> int& { return player(s).losses; }, 0, TSettingsSchema::kMaxCount, 1,
                 true));
}

std::vector<TSettingsEntry> BuildEntries()
{
    std::vector<TSettingsEntry> entries;
    entries.push_back(BoolEntry("video", "fullscreen", [](TSettings& s) -> bool& { return s.fullscreen; }));
    entries.push_back(WindowSizeEntry());
    entries.push_back(FrameRateEntry());
    entries.push_back(IntEntry("sound", "volume", [](TSettings& s) -> int& { return s.volume; }, 0, 100, 10));
    for (int slot = 0; slot < kMaxPlayers; ++slot) AddPlayerEntries(entries, slot);
    auto match = [](TSettings& s) -> TMatchOptions& { return s.match; };
    entries.push_back(NamedEntry<TArenaChoice>(
        "match", "arena", [match](TSettings& s) -> TArenaChoice& { return match(s).arena; },
        {{TArenaChoice::OpenField, "open_field"}, {TArenaChoice::Maze, "maze"}, {TArenaChoice::Forts, "forts"},
         {TArenaChoice::Random, "random"}, {TArenaChoice::RandomMaze, "random_maze"},
         {TArenaChoice::Custom, "custom"}}));
    entries.push_back(NameEntry("match", "custom_arena", [match](TSettings& s) -> std::string& { return match(s).customArena; }));
    entries.push_back(IntEntry("match", "maze_seed", [match](TSettings& s) -> int& { return match(s).mazeSeed; }, 0,
                               2147483647));
    entries.push_back(NamedEntry<TShellKind>("match", "shells", [match](TSettings& s) -> TShellKind& { return match(s).shells; },
                                             {{TShellKind::Straight, "straight"}, {TShellKind::Bouncing, "bouncing"}}));
    entries.push_back(ListEntry("match", "bounces", [match](TSettings& s) -> int& { return match(s).bounces; }, {1, 2, 3, 5}));
    entries.push_back(ListEntry("match", "score_to", [match](TSettings& s) -> int& { return match(s).scoreTo; }, {5, 10, 20}));
    entries.push_back(ListEntry("match", "time_limit_seconds",
                                [match](TSettings& s) -> int& { return match(s).timeLimitSeconds; }, {0, 136, 300}));
    entries.push_back(BoolEntry("match", "guided", [match](TSettings& s) -> bool& { return match(s).guided; }));
    entries.push_back(BoolEntry("match", "invisible", [match](TSettings& s) -> bool& { return match(s).invisible; }));
    entries.push_back(NamedEntry<TRespawnRule>("match", "respawn", [match](TSettings& s) -> TRespawnRule& { return match(s).respawn; },
                                               {{TRespawnRule::Anywhere, "anywhere"}, {TRespawnRule::Safe, "safe"}}));
    entries.push_back(NamedEntry<TMatchMode>("match", "mode", [match](TSettings& s) -> TMatchMode& { return match(s).mode; },
                                             {{TMatchMode::FreeForAll, "free_for_all"}, {TMatchMode::Teams, "teams"}}));
    entries.push_back(BoolEntry("match", "friendly_fire", [match](TSettings& s) -> bool& { return match(s).friendlyFire; }));
    return entries;
}

}  // namespace

const std::vector<TSettingsEntry>& TSettingsSchema::Entries()
{
    static const std::vector<TSettingsEntry> entries = BuildEntries();
    return entries;
}

const TSettingsEntry* TSettingsSchema::Find(const std::string& section, const std::string& key)
{
    for (const TSettingsEntry& entry : Entries())
        if (entry.section == section && entry.key == key) return &entry;
    return nullptr;
}

bool TSettingsSchema::KnownSection(const std::string& section)
{
    for (const TSettingsEntry& entry : Entries())
        if (entry.section == section) return true;
    return false;
}

std::string TSettingsSchema::Line(const TSettingsEntry& entry, const TSettings& settings)
{
    return entry.key + " = " + entry.write(settings);
}

std::string TSettingsSchema::Text(const TSettings& settings)
{
    std::ostringstream out;
    out << kHeading << "\n";
    std::string section;
    for (const TSettingsEntry& entry : Entries()) {
        if (entry.section != section) {
            section = entry.section;
            out << "\n[" << section << "]\n";
        }
        out << Line(entry, settings) << "\n";
    }
    return out.str();
}

bool TSettingsSchema::KeepKeysApart(TSettings& settings, bool say)
{
    // A slot that plays no tank uses no key: its keys may stay what a playing slot uses.
    std::set<int> seen;
    for (const TPlayerSetup& player : settings.players) {
        if (player.status == TPlayerStatus::Off) continue;
        for (int key : {player.keys.forward, player.keys.left, player.keys.right, player.keys.fire})
            if (!seen.insert(key).second) {
                if (say)
                    std::cerr << "settings: key " << KeyNames::Name(key)
                              << " is bound to two actions; the default keys are used" << std::endl;
                for (size_t slot = 0; slot < settings.players.size(); ++slot)
                    settings.players[slot].keys = TSettings::DefaultKeys(static_cast<int>(slot));
                return false;
            }
    }
    return true;
}
