// Decoding a whole Ogg Vorbis sound: the game's reader against vorbisfile's ov_read on the same
// generated 30-second stereo file.
#include "audio/CFileUtil.h"
#include "requirements.h"
#include "tools/audio/vorbis_writer.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
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

struct Memory {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
    auto* m = static_cast<Memory*>(source);
    const size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(out, m->bytes->data() + m->at, n);
    m->at += n;
    return size ? n / size : 0;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* m = static_cast<Memory*>(source);
    const int64_t base = whence == SEEK_SET ? 0
        : whence == SEEK_CUR                ? int64_t(m->at)
                                            : int64_t(m->bytes->size());
    if (base + offset < 0 || base + offset > int64_t(m->bytes->size()))
        return -1;
    m->at = size_t(base + offset);
    return 0;
}

long TellMemory(void* source)
{
    return long(static_cast<Memory*>(source)->at);
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
        Memory memory { &file };
        OggVorbis_File vorbis;
        if (ov_open_callbacks(&memory, &vorbis, nullptr, 0, { ReadMemory, SeekMemory, nullptr, TellMemory })
            != 0) {
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
