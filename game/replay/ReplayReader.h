// Reads a replay file whole and checks every part of it: the header for the replay list,
// the frames and match keys for playing it back, and the result when the match ended.
// A file that is not a good replay gives the reason and nothing else; what it holds never
// decides how much memory is asked for beyond the file's own size and the format's limits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/replay/ReplayHeader.h"

namespace replay {

class TReplayReader {
public:
    // False with Problem() for anything but a regular file holding a good replay.
    bool Open(const std::string& path);
    // The same for bytes already in memory.
    bool Read(const uint8_t* data, size_t size);

    // Why the last Open or Read failed, as a phrase that reads after "the replay":
    // "is a folder", "is cut off after 480 frames", ...
    const std::string& Problem() const { return problem_; }

    const TReplayHeader& Header() const { return header_; }
    const std::vector<TReplayFrame>& Frames() const { return frames_; }
    // Keys in the order they came; each names the frame it was handled in.
    const std::vector<TReplayKeyEvent>& Keys() const { return keys_; }
    // The result, or nothing for a recording that stopped before the match's end.
    const std::optional<TReplayResult>& Result() const { return result_; }
    // Milliseconds from the first frame to the last.
    uint32_t LengthMs() const;

private:
    std::string ReadBlocks(const uint8_t* data, size_t size);
    std::string ReadFrameBlock(const uint8_t* block, size_t payloadBytes, size_t frames, uint32_t startMs,
                               uint32_t endMs);

    std::string problem_;
    TReplayHeader header_;
    std::vector<TReplayFrame> frames_;
    std::vector<TReplayKeyEvent> keys_;
    std::optional<TReplayResult> result_;
};

}  // namespace replay
