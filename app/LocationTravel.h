// The arithmetic of a travel between locations: the arrival hour, the bounded advance of the
// environment clock to it, the name of the destination's location script and the clock, fog and
// turn of the tunnel ride. Pure; CZJApp::ChangeLocation and CZJApp::TunnelTransition drive them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace travel {

// A step of the clock advance: 150 x 1/6 seconds of world time, ten minutes on the clock.
constexpr float kClockStep = 25.0f;
// A day of steps and one more: a clock that moves reaches any hour within them.
constexpr int kMaxClockSteps = 24 * 6 + 1;

// The hour the traveller arrives at: the next hour, 0 past 23.
float ArrivalHour(float clock);
// Whether the clock lies in the arrival hour [hour, hour + 1).
bool InArrivalHour(float clock, float hour);
// Runs step (one clock step, answering the clock after it) until the clock lies in the arrival
// hour, at most kMaxClockSteps times; a clock that stands still ends there. The steps run.
int AdvanceClockTo(float hour, float clock, const std::function<float()>& step);

// The script a location file runs on arrival: the file name before its last '.', built in a
// zeroed work buffer of 2048 bytes (a longer name is cut there).
constexpr size_t kScriptNameBuffer = 2048;
std::string LocationScriptName(const char* locationFile);

// The tunnel ride's own clock t (seconds): it ends at 10 s or when Escape is pressed, and the
// models run faster as it goes on.
struct STunnelRide {
    static constexpr float kLength = 10.0f;
    static constexpr float kFogStart = 400.0f;
    static constexpr float kFogEnd = 1200.0f;

    float t = 0.0f;

    // The frame's time moves the clock; the answer is the frame time the models tick with.
    float Advance(float frameTime)
    {
        t += frameTime;
        return (t * 0.25f + 1.0f) * frameTime;
    }
    bool Over(bool escape) const { return escape || t >= kLength; }
    // The fog closes in on the viewer with the fourth power of t.
    float FogStart() const { return kFogStart - t * t * t * t * 0.04f; }
    float FogEnd() const { return kFogEnd - t * t * t * t * 0.12f; }
    // The background's turn about the view axis, radians.
    float Turn() const;
    // The tunnel model's morph weight: the fraction of the current second.
    float MorphWeight() const;
};

} // namespace travel
