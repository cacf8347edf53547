// The bits of one recorded frame inside a frame block: the frame time as a change from the
// last frame's, each tank's command only when it changed, and the match keys. Each block
// starts the codec afresh, so a block decodes on its own.
#pragma once

#include <cstddef>
#include <string>

#include "game/replay/ReplayBytes.h"
#include "game/replay/ReplayFormat.h"

namespace replay {

class TReplayFrameCodec {
public:
    explicit TReplayFrameCodec(size_t tanks) : tanks_(tanks) {}

    // Starts a block whose first frame comes at `startMs`.
    void Reset(uint32_t startMs);

    void Encode(TBitWriter& out, const TReplayFrame& frame, const TMatchKey* keys, size_t keyCount);

    // Decodes one frame and its keys (at most kMaxKeysPerFrame); returns an empty string or
    // why the bits are not a frame.
    std::string Decode(TBitReader& in, TReplayFrame& frame, TMatchKey* keys, size_t& keyCount);

private:
    size_t tanks_;
    uint32_t lastTime_ = 0;
    uint32_t lastStep_ = 0;
    std::array<TDriveCommand, kMaxTanks> last_{};
};

}  // namespace replay
