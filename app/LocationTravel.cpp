#include "app/LocationTravel.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace travel {

float ArrivalHour(float clock)
{
    const float hour = clock + 1.0f;
    return hour > 23.0f ? 0.0f : hour;
}

bool InArrivalHour(float clock, float hour)
{
    return clock >= hour && clock < hour + 1.0f;
}

int AdvanceClockTo(float hour, float clock, const std::function<float()>& step)
{
    int steps = 0;
    while (!InArrivalHour(clock, hour) && steps < kMaxClockSteps) {
        clock = step();
        ++steps;
    }
    return steps;
}

std::string LocationScriptName(const char* locationFile)
{
    std::vector<char> name(kScriptNameBuffer, '\0');
    std::strncpy(name.data(), locationFile ? locationFile : "", kScriptNameBuffer - 1);
    if (char* dot = std::strrchr(name.data(), '.'))
        *dot = '\0';
    return name.data();
}

float STunnelRide::Turn() const
{
    return std::numbers::pi_v<float> * t * t * 0.02f;
}

float STunnelRide::MorphWeight() const
{
    return t - std::floor(t);
}

} // namespace travel
