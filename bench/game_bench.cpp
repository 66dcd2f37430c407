// The whole game on the null backend: `zoq-e2e measure` as a child on a fresh copy of a generated
// demo folder, three runs for each object count, their medians judged. Start to the start menu's
// first frame, the CPU time of a flight frame over location1 and how it grows with the objects
// beside the path, and the peak resident memory.
#include "bench/requirements.h"

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tools/mkdata/mkdata.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kRunTimeoutMs = 300000;
// Frames of each flight; ZOQ_GAME_BENCH_FRAMES shortens the quick CTest run.
constexpr const char* kDefaultFrames = "600";

struct Figures {
    double firstFrameS = 0;
    double frameCpuMs = 0;
    double frameP95Ms = 0;
    double peakRssMiB = 0;
};

// The generated folder the runs copy, made once.
const std::filesystem::path& DemoFolder(std::string& error)
{
    static const zoq::test::TempDir folder("bench-game");
    static const std::string made = [] {
        zoq::tools::mkdata::Options options;
        options.src = ZOQ_DATA_DIR;
        options.out = folder.Path() / "demo";
        options.force = true;
        const zoq::tools::mkdata::RunResult result = zoq::tools::mkdata::Run(options);
        return result.exitCode == 0 ? std::string() : "zoq-mkdata: " + result.err;
    }();
    error = made;
    static const std::filesystem::path demo = folder.Path() / "demo";
    return demo;
}

// Reads the three lines of zoq-e2e measure; false when one is missing.
bool ParseFigures(const std::string& out, Figures& figures)
{
    std::istringstream lines(out);
    std::string line;
    int found = 0;
    while (std::getline(lines, line)) {
        double a = 0;
        double b = 0;
        if (std::sscanf(line.c_str(), "first-frame %lf", &a) == 1) {
            figures.firstFrameS = a;
            found |= 1;
        } else if (std::sscanf(line.c_str(), "frame-cpu %lf %lf", &a, &b) == 2) {
            figures.frameCpuMs = a;
            figures.frameP95Ms = b;
            found |= 2;
        } else if (std::sscanf(line.c_str(), "peak-rss %lf", &a) == 1) {
            figures.peakRssMiB = a;
            found |= 4;
        }
    }
    return found == 7;
}

// One run on a fresh copy of the demo folder; false with the reason.
bool MeasureOnce(int objects, const std::string& frames, Figures& figures, std::string& error)
{
    const std::filesystem::path& demo = DemoFolder(error);
    if (!error.empty())
        return false;
    const zoq::test::TempDir run("bench-game-run");
    const std::filesystem::path folder = run.Path() / "game";
    std::error_code copyError;
    std::filesystem::copy(demo, folder, std::filesystem::copy_options::recursive, copyError);
    if (copyError) {
        error = "cannot copy the demo folder: " + copyError.message();
        return false;
    }
    zoq::test::ChildOptions child;
    child.env = { "ZOQ_GFX=null", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=null",
        "ZOQ_INSTANCE_SCOPE=bench-game-" + std::to_string(::getpid()) };
    const zoq::test::RunResult result = zoq::test::RunProgram(ZOQ_E2E_PROGRAM,
        { "measure", folder.string(), "--objects", std::to_string(objects), "--frames", frames }, child,
        kRunTimeoutMs);
    if (result.exitCode != 0 || !ParseFigures(result.out, figures)) {
        error = "zoq-e2e measure ended with " + std::to_string(result.exitCode) + ": " + result.err;
        return false;
    }
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_GameFlight(benchmark::State& state)
{
    const char* framesSet = std::getenv("ZOQ_GAME_BENCH_FRAMES");
    const std::string frames = framesSet && *framesSet ? framesSet : kDefaultFrames;
    const int objects = int(state.range(0));
    std::vector<double> firstFrame, frameCpu, frameP95, peakRss;
    for (auto _ : state) {
        for (int i = 0; i < kRuns; ++i) {
            Figures figures;
            std::string error;
            if (!MeasureOnce(objects, frames, figures, error)) {
                state.SkipWithError(error.c_str());
                return;
            }
            firstFrame.push_back(figures.firstFrameS);
            frameCpu.push_back(figures.frameCpuMs);
            frameP95.push_back(figures.frameP95Ms);
            peakRss.push_back(figures.peakRssMiB);
        }
    }
    state.counters["first_frame_s"] = Median(firstFrame);
    state.counters["frame_cpu_ms"] = Median(frameCpu);
    state.counters["frame_p95_ms"] = Median(frameP95);
    state.counters["peak_rss_mib"] = Median(peakRss);
}
BENCHMARK(BM_GameFlight)->Arg(0)->Arg(200)->Arg(2000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

double Counter(const zoq::bench::Results& results, int objects, const char* name)
{
    const std::string run = "BM_GameFlight/" + std::to_string(objects) + "/iterations:1/real_time";
    return results.at(run).counters.at(name);
}

double FrameCpu(const zoq::bench::Results& results, int objects)
{
    return Counter(results, objects, "frame_cpu_ms");
}

const bool kFirstFrameRequired
    = zoq::bench::Require({ "the start menu's first frame comes within 1 s of the start",
        [](const zoq::bench::Results& r) {
            return Counter(r, 0, "first_frame_s") / zoq::bench::kFirstFrameBudgetS;
        },
        1.0, true });

const bool kFrameRequired = zoq::bench::Require({ "a flight frame over location1 costs at most 2 ms of CPU",
    [](const zoq::bench::Results& r) { return FrameCpu(r, 0) * 1e6 / zoq::bench::kFrameBudgetNs; }, 1.0,
    true });

const bool kObjectsRequired = zoq::bench::Require({ "2000 objects cost at most 10x the frame of 200",
    [](const zoq::bench::Results& r) { return FrameCpu(r, 2000) / FrameCpu(r, 200); }, 10.0, true });

const bool kLinearRequired = zoq::bench::Require(
    { "the objects' cost grows at most linearly: 2000 objects add at most 12x what 200 add",
        [](const zoq::bench::Results& r) {
            return (FrameCpu(r, 2000) - FrameCpu(r, 0)) / (FrameCpu(r, 200) - FrameCpu(r, 0));
        },
        12.0, true });

const bool kMemoryRequired
    = zoq::bench::Require({ "the game with 2000 objects keeps at most 256 MiB resident",
        [](const zoq::bench::Results& r) {
            return Counter(r, 2000, "peak_rss_mib") / zoq::bench::kPeakRssBudgetMiB;
        },
        1.0, true });

} // namespace
