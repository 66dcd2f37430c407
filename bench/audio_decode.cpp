// Decoding a whole Ogg Vorbis sound: the game's reader against vorbisfile's ov_read on the same
// generated 30-second stereo file.
#include "audio/CFileUtil.h"
#include "bench/requirements.h"
#include "tools/audio/vorbis_memory.h"
#include "tools/audio/vorbis_writer.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <ctime>
#include <vector>

namespace {

const std::vector<uint8_t>& TheFile()
{
    static const std::vector<uint8_t> file = [] {
        constexpr int kRate = 44100;
        std::vector<float> samples(size_t(30 * kRate) * 2);
        for (size_t i = 0; i < samples.size() / 2; ++i) {
            const double t = double(i) / kRate;
            samples[2 * i] = float(0.4 * std::sin(2 * M_PI * 220 * t) + 0.1 * std::sin(2 * M_PI * 1750 * t));
            samples[2 * i + 1] = float(0.3 * std::sin(2 * M_PI * 330 * t + std::sin(t)));
        }
        return zoq::tools::audio::EncodeVorbis(samples, 2, kRate, { 0.4f, 1 });
    }();
    return file;
}

// Both decoders are timed by the CPU time of their thread, so that other work on a shared
// machine does not tilt the comparison.
double ThreadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void BM_ReadOGG(benchmark::State& state)
{
    const auto& file = TheFile();
    std::vector<uint8_t> pcm(CFileUtil::kPcmBufferSize);
    CFileUtil reader;
    uint32_t decoded = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        uint32_t read = 0;
        if (!reader.ReadOGGMemory(pcm.data(), "bench.ogg", file, decoded, read))
            state.SkipWithError("ReadOGG failed");
        benchmark::DoNotOptimize(pcm.data());
        state.SetIterationTime(ThreadSeconds() - start);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * decoded);
}
BENCHMARK(BM_ReadOGG)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OvRead(benchmark::State& state)
{
    const auto& file = TheFile();
    std::vector<uint8_t> pcm(CFileUtil::kPcmBufferSize);
    size_t decoded = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        zoq::tools::audio::MemoryFile memory { &file };
        OggVorbis_File vorbis;
        if (ov_open_callbacks(&memory, &vorbis, nullptr, 0, zoq::tools::audio::kMemoryFileCallbacks) != 0) {
            state.SkipWithError("ov_open failed");
            break;
        }
        decoded = 0;
        int section = 0;
        long n = 0;
        while (decoded + 4096 <= pcm.size()
            && (n = ov_read(&vorbis, reinterpret_cast<char*>(pcm.data() + decoded), 4096, 0, 2, 1, &section))
                > 0)
            decoded += size_t(n);
        ov_clear(&vorbis);
        benchmark::DoNotOptimize(pcm.data());
        state.SetIterationTime(ThreadSeconds() - start);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(decoded));
}
BENCHMARK(BM_OvRead)->UseManualTime()->Unit(benchmark::kMillisecond);

const bool kRequired = zoq::bench::Require({
    "ReadOGG decodes at least 70% as fast as ov_read",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_OvRead/manual_time")
            / zoq::bench::TimeOf(r, "BM_ReadOGG/manual_time");
    },
    0.7,
    false,
});

} // namespace
