// SLogLimit: at most one log line a second from one source; the lines held back in between are
// counted, and the next line that is written reports them.
#pragma once

#include <cstdint>

struct SLogLimit {
    double lastLine = -1.0; // seconds; below 0: no line yet
    uint32_t suppressed = 0; // lines held back since lastLine

    // True when a line may be written at `now` (seconds); otherwise counts one held-back line.
    bool Take(double now)
    {
        if (lastLine < 0.0 || now - lastLine >= 1.0 || now < lastLine) {
            lastLine = now;
            return true;
        }
        ++suppressed;
        return false;
    }
    // The held-back count to report with the line being written; starts counting afresh.
    uint32_t TakeSuppressed()
    {
        const uint32_t count = suppressed;
        suppressed = 0;
        return count;
    }
};
