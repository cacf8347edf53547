#include "framework/FrameCap.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "framework/Clock.h"

TFrameCap::TFrameCap() : waiter_(SleepThenYield) {}

void TFrameCap::SetRate(int framesPerSecond)
{
    rate_ = framesPerSecond > 0 ? framesPerSecond : 0;
    frameMs_ = rate_ > 0 ? 1000.0 / rate_ : 0.0;
    started_ = false;
}

void TFrameCap::SetWaiter(Waiter waiter)
{
    waiter_ = waiter ? std::move(waiter) : Waiter(SleepThenYield);
}

uint32_t TFrameCap::Wait()
{
    if (rate_ <= 0) return 0;
    // Time is measured from an origin near now, so the wrapping 32-bit clock reads as a
    // plain increasing number for as long as the cap stays set.
    const uint32_t now = GameClock::Live();
    if (!started_) {
        started_ = true;
        origin_ = now;
        deadline_ = frameMs_;
        return 0;
    }
    const double elapsed = static_cast<double>(static_cast<uint32_t>(now - origin_));
    if (elapsed >= deadline_) {
        // The frame overran its share: no wait. Up to a frame behind, the next frame's end
        // stays on the cadence (it is shorter); further behind, the cadence starts afresh.
        deadline_ += frameMs_;
        if (deadline_ <= elapsed) deadline_ = elapsed + frameMs_;
        return 0;
    }
    const auto remaining = static_cast<uint32_t>(std::ceil(deadline_ - elapsed));
    deadline_ += frameMs_;
    waiter_(remaining);
    return remaining;
}

void TFrameCap::SleepThenYield(uint32_t ms)
{
    const uint32_t start = GameClock::Live();
    if (ms > 1) std::this_thread::sleep_for(std::chrono::milliseconds(ms - 1));
    while (static_cast<uint32_t>(GameClock::Live() - start) < ms) std::this_thread::yield();
}
