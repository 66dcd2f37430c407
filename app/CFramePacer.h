// CFramePacer: keeps a loop to one pass per display refresh. Each Pace sleeps what is left of the
// period that began when the previous Pace returned, in whole milliseconds. A present that waits
// for vertical sync has used the period already, so Pace then sleeps nothing; where the driver
// offers no such wait, Pace is what keeps an idle screen from spinning.
#pragma once

#include <cstdint>
#include <functional>

class CFramePacer {
public:
    static constexpr int kDefaultRate = 60;

    // The clock's counter is in nanoseconds; sleep takes milliseconds.
    struct Clock {
        std::function<int64_t()> now;
        std::function<void(uint32_t)> sleep;
    };

    CFramePacer();
    explicit CFramePacer(Clock clock);

    // Passes a second; anything below 1 (an unknown rate) takes kDefaultRate.
    void SetRate(int hertz);
    int64_t Period() const { return m_period; }
    // Sleeps the rest of the current period, then starts the next one.
    void Pace();

private:
    Clock m_clock;
    int64_t m_period = 0;
    int64_t m_start = -1; // no period started yet
};
