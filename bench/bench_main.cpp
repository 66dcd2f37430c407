// Main of every benchmark program: runs the benchmarks, then judges the registered requirements.
#include "bench/requirements.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace zoq::bench {
namespace {

std::vector<Requirement>& Registry()
{
    static std::vector<Requirement> requirements;
    return requirements;
}

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    // No colour codes, so the requirement lines that follow start their lines for scripts/bench.
    explicit CollectingReporter(Results& results)
        : ConsoleReporter(OO_Tabular)
        , m_results(results)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            Result& result = m_results[run.run_name.str()];
            result.realNs = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            // The library has already applied rate and per-iteration flags to the values.
            for (const auto& [name, counter] : run.counters)
                result.counters[name] = counter.value;
        }
    }

private:
    Results& m_results;
};

} // namespace

bool Require(Requirement requirement)
{
    Registry().push_back(std::move(requirement));
    return true;
}

double TimeOf(const Results& results, const std::string& name)
{
    auto it = results.find(name);
    if (it == results.end())
        throw std::out_of_range("benchmark did not run: " + name);
    return it->second.realNs;
}

} // namespace zoq::bench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    zoq::bench::Results results;
    zoq::bench::CollectingReporter reporter(results);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const char* strict = std::getenv("ZOQ_BENCH_STRICT");
    bool failed = false;
    for (const auto& requirement : zoq::bench::Registry()) {
        double ratio = 0;
        try {
            ratio = requirement.ratio(results);
        } catch (const std::exception& e) {
            std::printf("requirement: %s: not measured (%s)\n", requirement.text.c_str(), e.what());
            failed = true;
            continue;
        }
        bool met = requirement.atMost ? ratio <= requirement.limit : ratio >= requirement.limit;
        std::printf("requirement: %s: ratio %.3f, needs %s %.3f: %s\n", requirement.text.c_str(), ratio,
            requirement.atMost ? "<=" : ">=", requirement.limit, met ? "met" : "MISSED");
        failed = failed || !met;
    }
    return failed && strict && std::strcmp(strict, "1") == 0 ? 1 : 0;
}
