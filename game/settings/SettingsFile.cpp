#include "game/settings/SettingsFile.h"

#include <fcntl.h>
#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
            Reset(field)};
}

// An integer from lo to hi, a multiple of step.
TSettingsEntry IntEntry(const char* section, const char* key, Field<int> field, int lo, int hi, int step = 1)
{
    return {section, key,
            [=](TSettings& settings, const std::string& text) {
                int value = 0;
                if (!ParseInt(text, value) || value < lo || value > hi || value % step != 0) return false;
                field(settings) = value;
                return true;
            },
            [field](const TSettings& settings) { return std::to_string(Of(field, settings)); },
            Reset(field)};
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
            Reset(field)};
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
            Reset(field)};
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
            Reset(field)};
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
            }};
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
            [](TSettings& settings, const TSettings& defaults) { settings.frameRate = defaults.frameRate; }};
}

void AddPlayerEntries(std::vector<TSettingsEntry>& entries, int slot)
{
    static const char* kSections[] = {"player1", "player2"};
    const char* section = kSections[slot];
    auto player = [slot](TSettings& settings) -> TPlayerSetup& { return settings.players[static_cast<size_t>(slot)]; };
    entries.push_back(NamedEntry<TTankModel>(section, "tank", [player](TSettings& s) -> TTankModel& { return player(s).tank; },
                                             {{TTankModel::Boxy, "boxy"}, {TTankModel::Sleek, "sleek"}}));
    entries.push_back(NamedEntry<TPlayerStatus>(
        section, "status", [player](TSettings& s) -> TPlayerStatus& { return player(s).status; },
        {{TPlayerStatus::Human, "human"},
         {TPlayerStatus::ComputerEasy, "computer_easy"},
         {TPlayerStatus::ComputerNormal, "computer_normal"},
         {TPlayerStatus::ComputerHard, "computer_hard"},
         {TPlayerStatus::Gamepad1, "gamepad1"},
         {TPlayerStatus::Gamepad2, "gamepad2"}}));
    entries.push_back(KeyEntry(section, "forward", [player](TSettings& s) -> int& { return player(s).keys.forward; }));
    entries.push_back(KeyEntry(section, "left", [player](TSettings& s) -> int& { return player(s).keys.left; }));
    entries.push_back(KeyEntry(section, "right", [player](TSettings& s) -> int& { return player(s).keys.right; }));
    entries.push_back(KeyEntry(section, "fire", [player](TSettings& s) -> int& { return player(s).keys.fire; }));
    entries.push_back(IntEntry(section, "wins", [player](TSettings& s) -> int& { return player(s).wins; }, 0, 1000000000));
    entries.push_back(
        IntEntry(section, "losses", [player](TSettings& s) -> int& { return player(s).losses; }, 0, 1000000000));
}

std::vector<TSettingsEntry> BuildEntries()
{
    std::vector<TSettingsEntry> entries;
    entries.push_back(BoolEntry("video", "fullscreen", [](TSettings& s) -> bool& { return s.fullscreen; }));
    entries.push_back(WindowSizeEntry());
    entries.push_back(FrameRateEntry());
    entries.push_back(IntEntry("sound", "volume", [](TSettings& s) -> int& { return s.volume; }, 0, 100, 10));
    AddPlayerEntries(entries, 0);
    AddPlayerEntries(entries, 1);
    auto match = [](TSettings& s) -> TMatchOptions& { return s.match; };
    entries.push_back(NamedEntry<TArenaChoice>(
        "match", "arena", [match](TSettings& s) -> TArenaChoice& { return match(s).arena; },
        {{TArenaChoice::OpenField, "open_field"}, {TArenaChoice::Maze, "maze"}, {TArenaChoice::Forts, "forts"},
         {TArenaChoice::Random, "random"}}));
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
    return entries;
}

// What a parse hands to inih's callback.
struct ParseRun {
    TSettings* settings;
    TSettings defaults;
    std::set<std::string> reportedSections;
};

bool KnownSection(const std::string& section)
{
    for (const TSettingsEntry& entry : TSettingsFile::Entries())
        if (entry.section == section) return true;
    return false;
}

int OnIniValue(void* user, const char* section, const char* key, const char* value)
{
    auto& run = *static_cast<ParseRun*>(user);
    for (const TSettingsEntry& entry : TSettingsFile::Entries()) {
        if (entry.section != section || entry.key != key) continue;
        if (!entry.read(*run.settings, value)) {
            entry.reset(*run.settings, run.defaults);
            std::cerr << "settings: bad value \"" << value << "\" for " << key << " in [" << section
                      << "]; its default is used" << std::endl;
        }
        return 1;
    }
    if (!KnownSection(section)) {
        if (run.reportedSections.insert(section).second)
            std::cerr << "settings: unknown section [" << section << "] ignored" << std::endl;
    } else {
        std::cerr << "settings: unknown key " << key << " in [" << section << "] ignored" << std::endl;
    }
    return 1;
}

// Two actions on one key would fight: a file that binds a key twice gets the default keys.
void KeepKeysApart(TSettings& settings)
{
    std::set<int> seen;
    for (const TPlayerSetup& player : settings.players)
        for (int key : {player.keys.forward, player.keys.left, player.keys.right, player.keys.fire})
            if (!seen.insert(key).second) {
                std::cerr << "settings: key " << KeyNames::Name(key)
                          << " is bound to two actions; the default keys are used" << std::endl;
                for (size_t slot = 0; slot < settings.players.size(); ++slot)
                    settings.players[slot].keys = TSettings::DefaultKeys(static_cast<int>(slot));
                return;
            }
}

bool LooksLikeText(const std::string& text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7f;
    });
}

bool SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string FolderOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

}  // namespace

const std::vector<TSettingsEntry>& TSettingsFile::Entries()
{
    static const std::vector<TSettingsEntry> entries = BuildEntries();
    return entries;
}

TSettingsFile::TSettingsFile(std::string path) : path_(std::move(path)) {}

TSettingsFile TSettingsFile::FromEnvironment()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return TSettingsFile(std::string(xdg) + "/vexmoor/settings.ini");
    const char* home = std::getenv("HOME");
    if (home && *home) return TSettingsFile(std::string(home) + "/.config/vexmoor/settings.ini");
    std::cerr << "settings: neither XDG_CONFIG_HOME nor HOME is set; settings last for this run only" << std::endl;
    return TSettingsFile();
}

void TSettingsFile::MoveAside(const std::string& why) const
{
    const std::string bad = path_ + ".bad";
    std::error_code error;
    std::filesystem::remove_all(bad, error);
    if (std::rename(path_.c_str(), bad.c_str()) == 0)
        std::cerr << "settings: " << path_ << " " << why << "; moved aside to " << bad << ", defaults used" << std::endl;
    else
        std::cerr << "settings: " << path_ << " " << why << " and cannot be moved aside (" << std::strerror(errno)
                  << "); defaults used" << std::endl;
}

void TSettingsFile::Load(TSettings& settings) const
{
    if (IsRunOnly()) return;
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        if (errno != ENOENT) MoveAside(std::string("cannot be read (") + std::strerror(errno) + ")");
        return;
    }
    if (S_ISDIR(info.st_mode)) return MoveAside("is a folder");
    if (!S_ISREG(info.st_mode)) return MoveAside("is not a regular file");
    if (info.st_size > kMaxBytes) return MoveAside("is larger than 64 KiB");

    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) return MoveAside(std::string("cannot be read (") + std::strerror(errno) + ")");
    std::string text(static_cast<size_t>(kMaxBytes) + 1, '\0');
    const size_t length = std::fread(text.data(), 1, text.size(), file);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    text.resize(length);
    if (readError) return MoveAside("cannot be read");
    if (length > static_cast<size_t>(kMaxBytes)) return MoveAside("is larger than 64 KiB");
    if (!LooksLikeText(text)) return MoveAside("is not a text file");

    ParseRun run{&settings, TSettings(), {}};
    const int badLine = ini_parse_string(text.c_str(), OnIniValue, &run);
    if (badLine > 0) std::cerr << "settings: line " << badLine << " of " << path_ << " is not a setting; ignored" << std::endl;
    KeepKeysApart(settings);
}

std::string TSettingsFile::Text(const TSettings& settings)
{
    std::ostringstream out;
    out << "# Vexmoor settings, written by the game when its options screen is left.\n";
    std::string section;
    for (const TSettingsEntry& entry : Entries()) {
        if (entry.section != section) {
            section = entry.section;
            out << "\n[" << section << "]\n";
        }
        out << entry.key << " = " << entry.write(settings) << "\n";
    }
    return out.str();
}

bool TSettingsFile::CanSave() const
{
    if (IsRunOnly()) return false;
    const std::string folder = FolderOf(path_);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string probe = folder + "/.settings.probe.XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool TSettingsFile::Save(const TSettings& settings)
{
    if (IsRunOnly()) return true;
    const std::string folder = FolderOf(path_);
    std::string failure;
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    std::string temp = path_ + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        failure = std::strerror(errno);
    } else {
        const std::string text = Text(settings);
        std::FILE* file = ::fdopen(fd, "wb");
        bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 &&
                       ::fsync(fd) == 0;
        if (!written) failure = std::strerror(errno);
        if (file ? std::fclose(file) != 0 : ::close(fd) != 0) {
            if (written) failure = std::strerror(errno);
            written = false;
        }
        const auto rename = renameStep ? renameStep : [](const std::string& from, const std::string& to) {
            return std::rename(from.c_str(), to.c_str()) == 0;
        };
        errno = 0;
        if (written && !rename(temp, path_)) {
            failure = errno ? std::strerror(errno) : "the rename did not happen";
            written = false;
        }
        if (!written) ::unlink(temp.c_str());
        else SyncFolder(folder);
    }

    lastSaveFailed_ = !failure.empty();
    if (lastSaveFailed_ && !failureReported_) {
        failureReported_ = true;
        std::cerr << "settings: cannot save " << path_ << " (" << failure << "); settings last for this run only"
                  << std::endl;
    }
    return !lastSaveFailed_;
}
