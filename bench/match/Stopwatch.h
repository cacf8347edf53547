// Wall-clock and process helpers shared by the match benchmarks.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Processor time of the whole process, every thread (the OpenGL rasterizer's too).
inline int64_t ProcessCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Processor time of the calling thread alone: the game's or the bare engine's own work,
// without the rasterizer's threads.
inline int64_t ThreadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long StatusKb(const std::string& field);
// Starts a new peak: VmHWM becomes the current resident size.
bool ResetPeakRss();

}  // namespace bench
