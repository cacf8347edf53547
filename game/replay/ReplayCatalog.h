// The replay list: every recording in the replay folder, newest first, each read whole and
// marked readable with what the list shows (date, arena, players, score, length) or
// unreadable with the reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/replay/ReplayFolder.h"
#include "game/replay/ReplayHeader.h"

namespace replay {

struct TReplayEntry {
    std::string path;
    std::string name;      // the file's name without its folder
    bool readable = false;
    std::string problem;   // why not, reading after "the replay"
    TReplayHeader header;  // the rest only when readable
    std::optional<TReplayResult> result;
    uint32_t lengthMs = 0;
    size_t frames = 0;
};

class TReplayCatalog {
public:
    // At most this many entries are read, the newest.
    static constexpr size_t kMaxListed = 100;

    static std::vector<TReplayEntry> List(const TReplayFolder& folder);

    // One line for the list, e.g. "2024-05-01 14:32  FORTS  KEYS vs HARD  3:10  2:05"
    // (a dash for the score of an unfinished recording), or "name  UNREADABLE: reason".
    static std::string Line(const TReplayEntry& entry);
};

}  // namespace replay
