// Time: a monotonic high-resolution counter, the local wall-clock time with milliseconds, sleep.
#pragma once

#include <cstdint>

namespace plat::win {

// Counter ticks in nanoseconds since an arbitrary start; never goes back.
int64_t CounterNow();
constexpr int64_t kCounterFrequency = 1'000'000'000;

struct LocalTime {
    int year; // e.g. 2003
    int month; // 1..12
    int dayOfWeek; // 0 = Sunday
    int day; // 1..31
    int hour;
    int minute;
    int second;
    int milliseconds;
};

LocalTime GetLocalTime();
// Seconds since 1970-01-01 UTC.
int64_t UnixTimeNow();
void Sleep(uint32_t milliseconds);

} // namespace plat::win
