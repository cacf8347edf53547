// The recording of the match being played: the arena hands it the match's set-up as the
// match starts, then each frame's time, commands and match keys, then its end, and the
// tape writes them to a new file in the replay folder (the newest 20 files are kept).
// A network joiner's tape keeps the host's recording instead, piece by piece as it comes.
// A frame costs a few bit operations; the writer hands a block over every 240 frames, and
// the file is written on a thread of its own, so no frame waits for the disk.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/replay/ReplayFile.h"
#include "game/replay/ReplayWriter.h"

class TMatchTape {
public:
    using Commands = std::array<replay::TDriveCommand, replay::kMaxTanks>;
    using Listener = std::function<void(const std::vector<uint8_t>& piece)>;

    // Records a match of this set-up into a new file in `folder` (made if missing); each
    // piece written also goes to `listener`, if any. False, with one line on stderr, when
    // no file can be made: the match is then played unrecorded.
    bool Start(const replay::TReplayHeader& header, const std::string& folder, Listener listener = nullptr);
    // The joiner's copy of the host's recording: the file is made with the first piece.
    void Copy(const std::vector<uint8_t>& piece, const std::string& folder);

    // A match key handled in the frame under way.
    void AddKey(replay::TMatchKey key);
    // The frame's time and each tank's command, at the frame's end.
    void AddFrame(uint32_t timeMs, const Commands& commands);
    // The match's end; nothing more is recorded until Start (the file is closed by Stop).
    void Finish(const replay::TReplayResult& result);
    // Leaves off: a recording still going ends as abandoned, and the file is closed once
    // all of it is written.
    void Stop(const replay::TReplayResult& abandoned);

    bool IsRecording() const { return writer_ != nullptr; }
    size_t Frames() const { return writer_ ? writer_->Frames() : 0; }
    // The file of the last recording or copy (kept after it ends).
    const std::string& Path() const { return path_; }

    // For the benchmark: with `timed` set, the arena keeps the time each frame's recording
    // took (taking the commands and adding the frame), in nanoseconds.
    bool timed = false;
    std::vector<uint32_t> frameNs;

private:
    std::string NewFile(const std::string& folder);

    std::unique_ptr<replay::TReplayWriter> writer_;
    replay::TReplayFile file_;
    bool copying_ = false;
    std::string path_;
};
