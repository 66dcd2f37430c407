// The frame timer: once per frame it publishes the frame time that all motion is multiplied by,
// the 16-frame average clamped to 0.001 .. 0.2 s, so one slow frame neither jerks the world nor
// lets it jump. One global instance, FrameTimer, is constructed before main. Main thread only.
#pragma once

#include <cstdint>
#include <functional>

// Published by the timer and read everywhere. The frame code may overwrite FrameTime for a
// stretch of a frame (time scaling, pause) and restore it.
extern float FrameTime; // seconds: the 16-frame average, clamped
extern float prevFrameTime; // FrameTime of the previous update
extern float lastFrameDelta; // seconds since the previous update, not averaged or clamped
extern double GameClock; // seconds since the timer was constructed
extern float GameClockF32; // the same, as f32
extern uint32_t framesPerSecond; // updates counted in the last completed second

class CTimer {
public:
    // Counter ticks, monotonic.
    using Counter = std::function<int64_t()>;

    // The kernel layer's high-resolution counter.
    CTimer();
    // Any counter; a frequency of 0 counts as 1 000 000 ticks a second.
    CTimer(Counter source, int64_t ticksPerSecond);

    // Starts measuring afresh: FrameTime 0.025 s, framesPerSecond 40.
    void Restart();
    // Once per frame, before the frame's work reads FrameTime.
    void Update();
    // After a pause: shifts the history so that the paused interval is not seen as a frame.
    void SkipPause();

private:
    static constexpr int kHistory = 16;

    int64_t ReadCounter();

    Counter counter;
    uint32_t frameCounter = 0;
    uint32_t framesThisSecond = 0;
    float secondsThisSecond = 0.0f;
    int64_t startCount = 0;
    int64_t currentCount = 0;
    int64_t frequency = 0;
    // Counter values, oldest first; the last is the most recent update.
    int64_t history[kHistory] = {};
};

extern CTimer FrameTimer;
