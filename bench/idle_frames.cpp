// Idle frames: the game on a generated demo folder, windowed, without videos, on the offscreen
// video driver with its default graphics backend. Once it shows the wait screen (it says so on
// stdout), its CPU time over 3 s of wall time is measured, all its threads (the software
// rasteriser's among them) together; an idle screen may cost at most 0.1 of a core.
#include "bench/requirements.h"

#include "platform/win/clock.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tools/mkdata/mkdata.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kWaitScreenLine = "ZOQ: the start menu is not built yet";
constexpr int kStartMs = 60000;
constexpr uint32_t kIdleMs = 3000;
constexpr double kCoresAllowed = 0.1;

double Seconds(int64_t ticks)
{
    return double(ticks) / double(plat::win::kCounterFrequency);
}

void BM_WaitScreen(benchmark::State& state)
{
    const zoq::test::TempDir folder("bench-idle-frames");
    zoq::tools::mkdata::Options options;
    options.src = ZOQ_DATA_DIR;
    options.out = folder.Path() / "game";
    options.force = true;
    const zoq::tools::mkdata::RunResult made = zoq::tools::mkdata::Run(options);
    if (made.exitCode != 0) {
        state.SkipWithError(made.err.c_str());
        return;
    }
    zoq::test::WriteText(options.out / "cfg.ini",
        "[CONFIG]\r\nWindowed=1\r\nVideo=0\r\nScreenWidth=640\r\nScreenHeight=480\r\n");
    double cores = 0;
    for (auto _ : state) {
        zoq::test::ChildOptions child;
        child.folder = options.out.string();
        child.env = { "SDL_VIDEODRIVER=offscreen", "ALSOFT_DRIVERS=null", "MESA_SHADER_CACHE_DISABLE=true",
            "ZOQ_INSTANCE_SCOPE=bench-idle-" + std::to_string(::getpid()) };
        child.stderrFile = (folder.Path() / "stderr.txt").string();
        zoq::test::ChildProcess game;
        if (!game.Start(ZOQ_EXECUTABLE, {}, child)) {
            state.SkipWithError("ZOQ did not start");
            break;
        }
        std::string line;
        bool waiting = false;
        while (!waiting && game.ReadLine(line, kStartMs))
            waiting = line == kWaitScreenLine;
        if (!waiting) {
            state.SkipWithError("ZOQ did not reach the wait screen");
            break;
        }
        const double cpuBefore = zoq::test::ProcessCpuSeconds(game.Pid());
        const int64_t wallBefore = plat::win::CounterNow();
        plat::win::Sleep(kIdleMs);
        const double cpu = zoq::test::ProcessCpuSeconds(game.Pid()) - cpuBefore;
        cores = cpu / Seconds(plat::win::CounterNow() - wallBefore);
        game.Signal(SIGTERM);
        int code = 0;
        if (!game.Finish(10000, code) || code != 0) {
            state.SkipWithError("ZOQ did not end cleanly on SIGTERM");
            break;
        }
    }
    state.counters["cores"] = cores;
}
BENCHMARK(BM_WaitScreen)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

const bool kIdleRequired = zoq::bench::Require({ "the wait screen costs <= 0.1 of a core",
    [](const zoq::bench::Results& r) {
        return r.at("BM_WaitScreen/iterations:1/real_time").counters.at("cores") / kCoresAllowed;
    },
    1.0, true });

} // namespace
