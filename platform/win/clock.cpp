#include "platform/win/clock.h"

#include <ctime>
#include <thread>

namespace plat::win {

int64_t CounterNow()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * kCounterFrequency + ts.tv_nsec;
}

LocalTime GetLocalTime()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    return LocalTime { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_wday, tm.tm_mday, tm.tm_hour, tm.tm_min,
        tm.tm_sec, int(ts.tv_nsec / 1'000'000) };
}

int64_t UnixTimeNow()
{
    return int64_t(std::time(nullptr));
}

void Sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace plat::win
