// The path resolver against the stat() it wraps: a path spelled as on disk must cost little
// more than looking the file up once.
#include "bench/requirements.h"
#include "platform/win/paths.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>
#include <string>
#include <sys/stat.h>

namespace {

// A four-component tree under the temporary folder, removed at exit.
struct Tree {
    Tree()
    {
        zoq::test::WriteText(folder / "Data/CONFIG/Keys/cfg.ini", "[CONFIG]\n");
        posix = root + "/Data/CONFIG/Keys/cfg.ini";
        windows = root + "\\Data\\CONFIG\\Keys\\cfg.ini";
        wrongCase = root + "\\DATA\\config\\KEYS\\CFG.INI";
    }
    zoq::test::TempDir folder { "bench" };
    std::string root = folder.Path().string();
    std::string posix, windows, wrongCase;
};

Tree& TheTree()
{
    static Tree tree;
    return tree;
}

void BM_Stat(benchmark::State& state)
{
    const std::string& path = TheTree().posix;
    for (auto _ : state) {
        struct stat st;
        benchmark::DoNotOptimize(::stat(path.c_str(), &st));
    }
}
BENCHMARK(BM_Stat);

void BM_ResolveExactCase(benchmark::State& state)
{
    const std::string& path = TheTree().windows;
    for (auto _ : state)
        benchmark::DoNotOptimize(plat::win::ResolvePath(path));
}
BENCHMARK(BM_ResolveExactCase);

void BM_ResolveWrongCase(benchmark::State& state)
{
    const std::string& path = TheTree().wrongCase;
    for (auto _ : state)
        benchmark::DoNotOptimize(plat::win::ResolvePath(path));
}
BENCHMARK(BM_ResolveWrongCase);

const bool kRequired = zoq::bench::Require({
    "an exact-case 4-component path resolves in at most 2x a stat() of it",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_ResolveExactCase") / zoq::bench::TimeOf(r, "BM_Stat");
    },
    2.0,
    true,
});

} // namespace
