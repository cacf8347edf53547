// The game's millisecond clock: a 32-bit counter that wraps, read from a monotonic clock.
// Tests replace its source to drive time exactly, frame by frame.
//
// Within a frame the clock stands still: the main loop reads the source once as each
// update begins (BeginFrame) and everything that asks during the update and the drawing
// gets that one reading, so that a frame is the same whichever part of it asks. A replay
// pins the clock to the recorded frame times instead of the source's.
#pragma once

#include <cstdint>
#include <functional>

namespace GameClock {

// The game's time: the reading of the frame under way, else (between frames) the pinned
// time or the source's.
uint32_t Milliseconds();

// The source's reading now, whatever the frame: for what waits for real time to pass (the
// frame cap) and for a replay's pacing.
uint32_t Live();

// The main loop's calls: a frame's update begins with one reading of the clock (the pinned
// time, if any), which holds until EndFrame.
uint32_t BeginFrame();
void EndFrame();
bool InFrame();

// From now on the game's time is `ms` (frames begin at it) until Unpin.
void Pin(uint32_t ms);
void Unpin();
bool IsPinned();

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
