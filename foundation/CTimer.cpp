#include "foundation/CTimer.h"

#include <utility>

#include "platform/win/clock.h"

float FrameTime = 0.025f;
float prevFrameTime = 0.025f;
float lastFrameDelta = 0.025f;
double GameClock = 0.0;
float GameClockF32 = 0.0f;
uint32_t framesPerSecond = 40;

CTimer FrameTimer;

namespace {

constexpr int64_t kDefaultFrequency = 1'000'000;
constexpr float kMinFrameTime = 0.001f;
constexpr float kMaxFrameTime = 0.2f;
constexpr float kStartFrameTime = 0.025f;
constexpr uint32_t kStartFramesPerSecond = 40;

} // namespace

CTimer::CTimer()
    : CTimer(plat::win::CounterNow, plat::win::kCounterFrequency)
{
}

CTimer::CTimer(Counter source, int64_t ticksPerSecond)
    : counter(std::move(source))
    , frequency(ticksPerSecond != 0 ? ticksPerSecond : kDefaultFrequency)
{
    startCount = counter();
    GameClock = 0.0;
    GameClockF32 = 0.0f;
    Restart();
}

int64_t CTimer::ReadCounter()
{
    int64_t now = counter();
    GameClock = double(now - startCount) / double(frequency);
    GameClockF32 = float(GameClock);
    return now;
}

void CTimer::Restart()
{
    currentCount = ReadCounter();
    frameCounter = 0;
    // Spaced as 100 frames a second and ending now, so the first update measures a real frame.
    for (int k = 0; k < kHistory; ++k)
        history[k] = currentCount - int64_t(kHistory - 1 - k) * frequency / 100;
    FrameTime = kStartFrameTime;
    prevFrameTime = kStartFrameTime;
    lastFrameDelta = kStartFrameTime;
    framesPerSecond = kStartFramesPerSecond;
    framesThisSecond = 0;
    secondsThisSecond = 0.0f;
}

void CTimer::Update()
{
    prevFrameTime = FrameTime;
    ++frameCounter;
    int64_t now = ReadCounter();
    const float delta = float(double(now - history[kHistory - 1]) / double(frequency));
    lastFrameDelta = delta;
    FrameTime = float(double((now - history[0]) / kHistory) / double(frequency));

    ++framesThisSecond;
    secondsThisSecond += delta;
    if (secondsThisSecond > 1.0f) {
        framesPerSecond = framesThisSecond;
        framesThisSecond = 0;
        secondsThisSecond -= 1.0f;
    }

    for (int k = 0; k + 1 < kHistory; ++k)
        history[k] = history[k + 1];
    history[kHistory - 1] = now;

    if (FrameTime > kMaxFrameTime)
        FrameTime = kMaxFrameTime;
    else if (FrameTime < kMinFrameTime)
        FrameTime = kMinFrameTime;
}

void CTimer::SkipPause()
{
    int64_t now = ReadCounter();
    const int64_t paused = now - history[kHistory - 1];
    for (int64_t& entry : history)
        entry += paused;
}
