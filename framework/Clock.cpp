#include "framework/Clock.h"

#include <chrono>

namespace GameClock {
namespace {

std::function<uint32_t()>& Source()
{
    static std::function<uint32_t()> source;
    return source;
}

uint32_t Monotonic()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

struct Reading {
    bool inFrame = false;
    uint32_t frameMs = 0;
    bool pinned = false;
    uint32_t pinnedMs = 0;
};

Reading& Now()
{
    static Reading reading;
    return reading;
}

}  // namespace

uint32_t Live()
{
    const auto& source = Source();
    return source ? source() : Monotonic();
}

uint32_t Milliseconds()
{
    const Reading& now = Now();
    if (now.inFrame) return now.frameMs;
    return now.pinned ? now.pinnedMs : Live();
}

uint32_t BeginFrame()
{
    Reading& now = Now();
    now.frameMs = now.pinned ? now.pinnedMs : Live();
    now.inFrame = true;
    return now.frameMs;
}

void EndFrame()
{
    Now().inFrame = false;
}

bool InFrame()
{
    return Now().inFrame;
}

void Pin(uint32_t ms)
{
    Now().pinned = true;
    Now().pinnedMs = ms;
}

void Unpin()
{
    Now().pinned = false;
}

bool IsPinned()
{
    return Now().pinned;
}

void SetSource(std::function<uint32_t()> source)
{
    Source() = std::move(source);
}

void ManualClock::Install()
{
    SetSource([this] { return now_; });
}

}  // namespace GameClock
