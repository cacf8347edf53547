// Records a match as it is played: the header once, then one frame per update, kept in
// memory and written out a block at a time (every few seconds), so that a frame costs a
// few bit operations and the disk is touched rarely. A game that stops without Finish
// leaves a file of whole blocks that reads as an unfinished replay.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "game/replay/ReplayFrameCodec.h"
#include "game/replay/ReplayHeader.h"

namespace replay {

class TReplayWriter {
public:
    static constexpr size_t kFramesPerBlock = 240;

    // Records into memory (Bytes()).
    explicit TReplayWriter(const TReplayHeader& header);
    ~TReplayWriter();
    TReplayWriter(const TReplayWriter&) = delete;
    TReplayWriter& operator=(const TReplayWriter&) = delete;

    // Records into a new file at `path` instead (an existing file is never replaced).
    // False with Problem() when it cannot be made; the writer then records nothing.
    bool Open(const std::string& path);

    // A match key handled in the frame the next AddFrame records.
    void AddKey(TMatchKey key);
    // One update: the game clock's reading and each tank's command (in header tank order).
    void AddFrame(uint32_t timeMs, const std::array<TDriveCommand, kMaxTanks>& commands);
    // Writes what is left and the result, and closes the file. False when a write failed.
    bool Finish(const TReplayResult& result);

    // Hears every piece as it is written to the file (the header, each block, the end): a
    // network host hands its recording to the joiner this way. Set before Open.
    void SetListener(std::function<void(const std::vector<uint8_t>& piece)> listener);
    // Records for `listener` alone, which puts the pieces where it likes (a file written on a
    // thread of its own, say): the header goes to it at once, and nothing is kept here.
    void RecordFor(std::function<void(const std::vector<uint8_t>& piece)> listener);

    size_t Frames() const { return frames_; }
    const std::string& Problem() const { return problem_; }
    // Everything recorded so far, when recording into memory.
    const std::vector<uint8_t>& Bytes() const { return memory_; }

private:
    void EndBlock();
    void Emit(const std::vector<uint8_t>& bytes);

    size_t tanks_;
    TReplayFrameCodec codec_;
    std::FILE* file_ = nullptr;
    std::function<void(const std::vector<uint8_t>&)> listener_;
    bool toFile_ = false;
    bool finished_ = false;
    std::string problem_;
    std::vector<uint8_t> memory_;
    std::vector<uint8_t> header_;
    std::vector<uint8_t> payload_;
    std::vector<uint8_t> block_;
    TBitWriter bits_;
    size_t frames_ = 0;
    size_t blockFrames_ = 0;
    uint32_t blockStart_ = 0;
    uint32_t blockEnd_ = 0;
    TMatchKey keys_[kMaxKeysPerFrame];
    size_t keyCount_ = 0;
};

}  // namespace replay
