// Wall-clock and process helpers shared by the match benchmarks.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long StatusKb(const std::string& field);
// Starts a new peak: VmHWM becomes the current resident size.
bool ResetPeakRss();

}  // namespace bench
