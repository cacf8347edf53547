#include "game/replay/ReplayFrameCodec.h"

namespace replay {

namespace {

// A command in five bits: drive, turn (two bits: none, left, right), fire, reverse.
constexpr int kCommandBits = 5;
constexpr int kKeyBits = 3;

uint32_t PackCommand(const TDriveCommand& c)
{
    const uint32_t turn = c.turn < 0 ? 1u : (c.turn > 0 ? 2u : 0u);
    return (c.drive ? 1u : 0u) | (turn << 1) | (c.fire ? 8u : 0u) | (c.reverse ? 16u : 0u);
}

bool UnpackCommand(uint32_t bits, TDriveCommand& c)
{
    const uint32_t turn = (bits >> 1) & 3u;
    if (turn == 3u) return false;
    c.drive = (bits & 1u) != 0;
    c.turn = turn == 1u ? -1 : (turn == 2u ? 1 : 0);
    c.fire = (bits & 8u) != 0;
    c.reverse = (bits & 16u) != 0;
    return true;
}

}  // namespace

void TReplayFrameCodec::Reset(uint32_t startMs)
{
    lastTime_ = startMs;
    lastStep_ = 0;
    last_ = {};
}

// The step since the last frame: "0" the same step again, "10" one more, "110" one less,
// "1110" then 8 bits, "1111" then 32 bits (bits read first written first).
void TReplayFrameCodec::Encode(TBitWriter& out, const TReplayFrame& frame, const TMatchKey* keys, size_t keyCount)
{
    const uint32_t step = frame.timeMs - lastTime_;
    if (step == lastStep_) {
        out.Put(0, 1);
    } else if (step == lastStep_ + 1) {
        out.Put(0b01, 2);
    } else if (step == lastStep_ - 1) {
        out.Put(0b011, 3);
    } else if (step < 256) {
        out.Put(0b0111, 4);
        out.Put(step, 8);
    } else {
        out.Put(0b1111, 4);
        out.Put(step, 32);
    }
    lastTime_ = frame.timeMs;
    lastStep_ = step;

    bool changed = false;
    for (size_t t = 0; t < tanks_; ++t) changed = changed || frame.commands[t] != last_[t];
    out.Put(changed ? 1 : 0, 1);
    if (changed) {
        for (size_t t = 0; t < tanks_; ++t) {
            const bool tankChanged = frame.commands[t] != last_[t];
            out.Put(tankChanged ? 1 : 0, 1);
            if (tankChanged) out.Put(PackCommand(frame.commands[t]), kCommandBits);
            last_[t] = frame.commands[t];
        }
    }

    if (keyCount > kMaxKeysPerFrame) keyCount = kMaxKeysPerFrame;
    out.Put(keyCount ? 1 : 0, 1);
    if (keyCount) {
        out.Put(static_cast<uint32_t>(keyCount - 1), kKeyBits);
        for (size_t k = 0; k < keyCount; ++k) out.Put(static_cast<uint32_t>(keys[k]), kKeyBits);
    }
}

std::string TReplayFrameCodec::Decode(TBitReader& in, TReplayFrame& frame, TMatchKey* keys, size_t& keyCount)
{
    uint32_t step = lastStep_;
    if (in.Get(1)) {
        if (!in.Get(1))
            step = lastStep_ + 1;
        else if (!in.Get(1))
            step = lastStep_ - 1;
        else
            step = in.Get(1) ? in.Get(32) : in.Get(8);
    }
    lastTime_ += step;
    lastStep_ = step;
    frame.timeMs = lastTime_;

    if (in.Get(1)) {
        for (size_t t = 0; t < tanks_; ++t) {
            if (in.Get(1) && !UnpackCommand(in.Get(kCommandBits), last_[t]))
                return "holds a drive command that cannot be";
        }
    }
    frame.commands = last_;

    keyCount = 0;
    if (in.Get(1)) {
        keyCount = in.Get(kKeyBits) + 1;
        for (size_t k = 0; k < keyCount; ++k) {
            const uint32_t key = in.Get(kKeyBits);
            if (key >= kMatchKeyCount) return "holds an unknown match key";
            keys[k] = static_cast<TMatchKey>(key);
        }
    }
    if (in.Failed()) return "holds a frame block shorter than its frames";
    return "";
}

}  // namespace replay
