// The game's millisecond clock: a 32-bit counter that wraps, read from a monotonic clock.
// Tests replace its source to drive time exactly, frame by frame.
#pragma once

#include <cstdint>
#include <functional>

namespace GameClock {

// Milliseconds since an arbitrary start, wrapping as a 32-bit value.
uint32_t Milliseconds();

// Replaces the time source (for tests); an empty function restores the monotonic clock.
void SetSource(std::function<uint32_t()> source);

// A clock that only moves when told to; install it with Install() and advance it by hand.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 1000) : now_(start) {}
    void Install();
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ms) { now_ = ms; }
    uint32_t Now() const { return now_; }

private:
    uint32_t now_;
};

}  // namespace GameClock
