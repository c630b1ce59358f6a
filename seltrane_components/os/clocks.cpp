#include "seltrane_components/os/clocks.h"

#include <chrono>

namespace {

template <class Unit>
std::uint64_t steadyNow()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<Unit>(since).count());
}

}  // namespace

std::uint64_t tickCount64() { return steadyNow<std::chrono::milliseconds>(); }

std::int64_t elapsedMs()
{
    static const std::uint64_t base = tickCount64();
    return static_cast<std::int64_t>(tickCount64() - base);
}

std::uint64_t elapsedMicroseconds() { return steadyNow<std::chrono::microseconds>(); }
