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

}  // namespace

uint32_t Milliseconds()
{
    const auto& source = Source();
    return source ? source() : Monotonic();
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
