#include "game/replay/ReplayCatalog.h"

#include <cstdio>
#include <ctime>

#include "game/replay/ReplayReader.h"

namespace replay {

namespace {

std::string ArenaName(const TArenaSetup& arena)
{
    switch (arena.kind) {
    case TArenaKind::Custom: return "CUSTOM";
    case TArenaKind::Maze: return "MAZE " + std::to_string(arena.mazeSeed);
    case TArenaKind::BuiltIn: break;
    }
    static const char* const kBuiltIn[] = {"OPEN FIELD", "MAZE", "FORTS"};
    return kBuiltIn[arena.builtInId % 3];
}

std::string DriverName(const TTankSetup& tank)
{
    static const char* const kSkills[] = {"EASY", "NORMAL", "HARD"};
    switch (tank.driver) {
    case TDriverKind::Keys: return "KEYS";
    case TDriverKind::Pad: return "PAD";
    case TDriverKind::Computer: return kSkills[tank.detail % 3];
    case TDriverKind::Network: return "NETWORK";
    }
    return "?";
}

}  // namespace

std::vector<TReplayEntry> TReplayCatalog::List(const TReplayFolder& folder)
{
    std::vector<TReplayEntry> list;
    for (const std::string& path : folder.Entries()) {
        if (list.size() == kMaxListed) break;
        TReplayEntry entry;
        entry.path = path;
        entry.name = path.substr(path.find_last_of('/') + 1);
        TReplayReader reader;
        entry.readable = reader.Open(path);
        if (entry.readable) {
            entry.header = reader.Header();
            entry.result = reader.Result();
            entry.lengthMs = reader.LengthMs();
            entry.frames = reader.Frames().size();
        } else {
            entry.problem = reader.Problem();
        }
        list.push_back(std::move(entry));
    }
    return list;
}

std::string TReplayCatalog::Line(const TReplayEntry& entry)
{
    if (!entry.readable) return entry.name + "  UNREADABLE: " + entry.problem;
    const std::time_t when = static_cast<std::time_t>(entry.header.dateUnixSeconds);
    std::tm local{};
    ::localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);

    std::string players, score;
    for (size_t t = 0; t < entry.header.tanks.size(); ++t) {
        players += (t ? " vs " : "") + DriverName(entry.header.tanks[t]);
        score += (t ? ":" : "") + (entry.result ? std::to_string(entry.result->scores[t]) : std::string("-"));
    }
    const uint32_t seconds = entry.lengthMs / 1000;
    char length[16];
    std::snprintf(length, sizeof length, "%u:%02u", seconds / 60, seconds % 60);
    return std::string(date) + "  " + ArenaName(entry.header.arena) + "  " + players + "  " + score + "  " + length;
}

}  // namespace replay
