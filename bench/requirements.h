// Performance requirements checked after a benchmark program's runs. Each requirement is a
// ratio of measured results against a limit; scripts/bench sets ZOQ_BENCH_STRICT=1 so a miss
// fails the program, while the quick CTest run only prints the figures.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace zoq::bench {

// The game frame's CPU budget in nanoseconds, the unit of the per-frame requirements.
inline constexpr double kFrameBudgetNs = 2.0e6;
// The game's time from its start to the start menu's first frame, in seconds.
inline constexpr double kFirstFrameBudgetS = 1.0;
// The game's peak resident memory in MiB.
inline constexpr double kPeakRssBudgetMiB = 256.0;

struct Result {
    double realNs = 0; // real time per iteration
    std::map<std::string, double> counters; // user counters as reported (rates applied)
};

using Results = std::map<std::string, Result>; // by benchmark name

struct Requirement {
    std::string text;
    std::function<double(const Results&)> ratio;
    double limit = 0;
    bool atMost = true; // ratio <= limit, else ratio >= limit
};

// Registers a requirement; call from a static initialiser.
bool Require(Requirement requirement);

// Real time per iteration of `name`; throws std::out_of_range when it did not run.
double TimeOf(const Results& results, const std::string& name);

} // namespace zoq::bench
