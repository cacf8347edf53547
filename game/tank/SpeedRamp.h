// The tank's speed ramp as a function of time: how much a start (or a stop) has added
// by a given time, whatever the frame rate.
#pragma once

namespace SpeedRamp {

// The frame length the ramp's constants were made for: 60 frames a second.
constexpr double kFrameMs = 1000.0 / 60.0;

// What the ramp has gained, in units of the acceleration, `ms` milliseconds after its
// start: at 60 frames a second each frame adds the milliseconds since the start, and
// the sum over k frames, kFrameMs * k(k + 1) / 2, is this at ms = k * kFrameMs.
constexpr double Gain(double ms)
{
    return ms * (ms + kFrameMs) / (2.0 * kFrameMs);
}

// The gain between two times after the start: what one frame adds.
constexpr float Step(int fromMs, int toMs)
{
    return static_cast<float>(Gain(toMs) - Gain(fromMs));
}

}  // namespace SpeedRamp
