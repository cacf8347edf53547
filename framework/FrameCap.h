// Paces the main loop to a chosen frame rate. After a frame is drawn, Wait() waits out
// what is left of the frame's share of time on the game's clock: a sleep to within about a
// millisecond of the frame's end, then yields until it is reached. The speed factor still
// comes from the measured frame time, so the cap changes how often the game draws, never
// how fast it plays.
#pragma once

#include <cstdint>
#include <functional>

class TFrameCap {
public:
    // Waits for the given number of milliseconds of the game clock to pass; the default
    // sleeps and yields, tests install one that moves a manual clock instead.
    using Waiter = std::function<void(uint32_t ms)>;

    TFrameCap();

    // Frames per second to keep to; 0 (or less) lifts the cap.
    void SetRate(int framesPerSecond);
    int Rate() const { return rate_; }

    // Called once a frame, after it is drawn: waits until the frame's end and returns the
    // milliseconds it asked the waiter for (0 without a cap, or when the frame overran).
    uint32_t Wait();

    void SetWaiter(Waiter waiter);

    // The default waiter: sleeps to within a millisecond of the end, then yields.
    static void SleepThenYield(uint32_t ms);

private:
    int rate_ = 0;
    double frameMs_ = 0.0;
    // When the current frame should end, in game-clock milliseconds (kept fractional so
    // that rates which do not divide a second evenly keep their average).
    double deadline_ = 0.0;
    bool started_ = false;
    uint32_t origin_ = 0;
    Waiter waiter_;
};
