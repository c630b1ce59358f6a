// Monotonic clocks for time-outs, double-click timing and diagnostics. All
// values come from std::chrono::steady_clock, so they never run backwards
// and do not follow changes of the wall clock.
//
// Thread safety: every function may be called from any thread.
#ifndef SELTRANE_COMPONENTS_OS_CLOCKS_H
#define SELTRANE_COMPONENTS_OS_CLOCKS_H

#include <cstdint>

// Milliseconds since a fixed point in the past (usually system start).
std::uint64_t tickCount64();

// Milliseconds since the first call of elapsedMs in this process.
std::int64_t elapsedMs();

// Microseconds since a fixed point in the past; for measuring intervals.
std::uint64_t elapsedMicroseconds();

#endif  // SELTRANE_COMPONENTS_OS_CLOCKS_H
