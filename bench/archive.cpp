// Archive reading against memcpy of the same bytes: the bare unpackers over a 32 MiB stream of
// 64 KiB blocks (thirds of table-like text, 16-bit image-like runs and noise), each block forced
// through the codec measured; the file layer reading a raw-stored and a packed file, the latter
// in turns with the bare unpacker fed the blocks as the archive stores them (blocks that would not
// fit are stored raw and copied); and name lookup in a large archive against a small one.
#include "bench/requirements.h"

#include "foundation/KWUnpack.h"
#include "foundation/PakManager.h"
#include "foundation/XFile.h"
#include "tests/support/temp_dir.h"
#include "tools/data/pak_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace zoq::tools::data;
using Bytes = std::vector<uint8_t>;

constexpr size_t kBlockSize = 65536;
constexpr size_t kStreamSize = 32u << 20;
constexpr size_t kBlocks = kStreamSize / kBlockSize;
constexpr size_t kRoom = kBlockSize + 128;

uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

Bytes MakeBlock(size_t k)
{
    Bytes block;
    block.reserve(kBlockSize);
    uint32_t state = uint32_t(k) * 7919u + 17;
    switch (k * 3 / kBlocks) {
    case 0: // rows of a table source
        while (block.size() < kBlockSize) {
            std::string line = "[TEX_ROW_" + std::to_string(Next(state) % 5000)
                + "]\nFilename = Data\\Textures\\row_" + std::to_string(Next(state) % 300)
                + ".tm\nType = " + std::to_string(Next(state) % 8) + "\n";
            block.insert(block.end(), line.begin(), line.end());
        }
        break;
    case 1: { // 16-bit pixels in runs along scan lines
        uint16_t pixel = 0;
        while (block.size() < kBlockSize) {
            if (Next(state) % 4 == 0)
                pixel = uint16_t(Next(state));
            for (uint32_t n = 4 + Next(state) % 24; n > 0; --n) {
                block.push_back(uint8_t(pixel));
                block.push_back(uint8_t(pixel >> 8));
            }
        }
        break;
    }
    default:
        while (block.size() < kBlockSize)
            block.push_back(uint8_t(Next(state)));
    }
    block.resize(kBlockSize);
    return block;
}

const std::vector<Bytes>& Stream()
{
    static const std::vector<Bytes> blocks = [] {
        std::vector<Bytes> all;
        for (size_t k = 0; k < kBlocks; ++k)
            all.push_back(MakeBlock(k));
        return all;
    }();
    return blocks;
}

struct Stage {
    Bytes packed; // the block itself when stored raw
    uint32_t middle = 0; // two stages: the length between them
    bool raw = false;
};

// Which blocks go through the codec: every one however large the result, or only those the
// archive writer packs (the others it stores raw).
enum class Feed { Forced, AsStored };

const std::vector<Stage>& Packed(Codec codec, Feed feed)
{
    static std::map<std::pair<Codec, Feed>, std::vector<Stage>> cache;
    auto it = cache.find({ codec, feed });
    if (it != cache.end())
        return it->second;
    std::vector<Stage> stages;
    for (const Bytes& block : Stream()) {
        Stage stage;
        if (feed == Feed::AsStored && PackBlock(block, codec, uint32_t(kBlockSize)).flags == 0) {
            stage.packed = block;
            stage.raw = true;
        } else if (codec == Codec::Rle8LzFlags) {
            Bytes middle = PackRle8(block);
            stage.middle = uint32_t(middle.size());
            stage.packed = PackLzFlags(middle);
        } else if (codec == Codec::Rle8) {
            stage.packed = PackRle8(block);
        } else if (codec == Codec::Rle16) {
            stage.packed = *PackRle16(block);
        } else if (codec == Codec::LzFlags) {
            stage.packed = PackLzFlags(block);
        } else {
            stage.packed = PackLzEscape(block);
        }
        stages.push_back(std::move(stage));
    }
    return cache.emplace(std::pair { codec, feed }, std::move(stages)).first->second;
}

double g_memcpyBytesPerSecond = 0;

void ReportRatio(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kStreamSize));
    if (g_memcpyBytesPerSecond > 0)
        state.counters["x_memcpy"] = benchmark::Counter(
            double(kStreamSize) / g_memcpyBytesPerSecond, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Memcpy(benchmark::State& state)
{
    Bytes source(kStreamSize);
    for (size_t k = 0; k < kBlocks; ++k)
        std::memcpy(source.data() + k * kBlockSize, Stream()[k].data(), kBlockSize);
    Bytes dest(kStreamSize, 1);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::memcpy(dest.data(), source.data(), kStreamSize);
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kStreamSize));
    g_memcpyBytesPerSecond = double(state.iterations()) * double(kStreamSize) / elapsed.count();
}
// The baseline runs first so that every case can report its ratio.
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

bool Unpack(Codec codec, const Stage& stage, Bytes& a, Bytes& b, size_t& written)
{
    const uint8_t* in = stage.packed.data();
    const size_t size = stage.packed.size();
    switch (codec) {
    case Codec::Rle8:
        return UnpackRle8(in, size, a.data(), kBlockSize, written);
    case Codec::Rle16:
        return UnpackRle16(in, size, a.data(), kBlockSize, written);
    case Codec::LzFlags:
        return UnpackLzFlags(in, size, a.data(), kBlockSize, written);
    case Codec::LzEscape:
        return UnpackLzEscape(in, size, a.data(), kBlockSize, written);
    case Codec::Rle8LzFlags: {
        size_t middle = 0;
        return UnpackLzFlags(in, size, b.data(), b.size(), middle)
            && UnpackRle8(b.data(), middle, a.data(), kBlockSize, written);
    }
    default:
        return false;
    }
}

// One pass over the stream; raw-stored blocks are copied.
bool UnpackPass(Codec codec, const std::vector<Stage>& stages, Bytes& a, Bytes& b)
{
    for (const Stage& stage : stages) {
        size_t written = kBlockSize;
        if (stage.raw)
            std::memcpy(a.data(), stage.packed.data(), kBlockSize);
        else if (!Unpack(codec, stage, a, b, written) || written != kBlockSize)
            return false;
        benchmark::DoNotOptimize(a.data());
    }
    return true;
}

void BM_Unpack(benchmark::State& state, Codec codec)
{
    const std::vector<Stage>& stages = Packed(codec, Feed::Forced);
    // Forced blocks may pack larger than the reader's room; the bare figure gives them space.
    Bytes a(kRoom), b(2 * kBlockSize);
    for (auto _ : state) {
        if (!UnpackPass(codec, stages, a, b)) {
            state.SkipWithError("block did not unpack");
            return;
        }
    }
    ReportRatio(state);
}
BENCHMARK_CAPTURE(BM_Unpack, Rle8, Codec::Rle8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, Rle16, Codec::Rle16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, LzFlags, Codec::LzFlags)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, LzEscape, Codec::LzEscape)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, Rle8LzFlags, Codec::Rle8LzFlags)->Unit(benchmark::kMillisecond);

// A temporary folder with Data\*.pak archives; the working directory while benchmarks run.
class Workspace {
public:
    // Data\<name>\a.pak holding one 32 MiB file "DATA\STREAM" packed by the codec.
    const std::string& StreamFolder(Codec codec)
    {
        auto it = m_streams.find(codec);
        if (it != m_streams.end())
            return it->second;
        std::string folder = std::string("Data") + CodecName(codec);
        for (char& c : folder)
            c = c == '+' ? '_' : c;
        std::filesystem::create_directories(folder);
        PakSource source;
        source.name = "DATA\\STREAM";
        for (const Bytes& block : Stream())
            source.data.insert(source.data.end(), block.begin(), block.end());
        std::string error;
        if (!WritePak(folder + "/a.pak", { source }, { uint32_t(kBlockSize), codec }, error))
            std::abort();
        return m_streams.emplace(codec, folder).first->second;
    }

    // Data<count>\a.pak holding count empty files.
    std::string NamesFolder(int count)
    {
        std::string folder = "Names" + std::to_string(count);
        if (std::filesystem::exists(folder))
            return folder;
        std::filesystem::create_directories(folder);
        std::vector<PakSource> sources;
        for (int i = 0; i < count; ++i)
            sources.push_back({ "DATA\\TEXTURES\\TEX_" + std::to_string(100000 + i) + ".TM", {}, {} });
        std::string error;
        if (!WritePak(folder + "/a.pak", sources, {}, error))
            std::abort();
        return folder;
    }

private:
    zoq::test::TempDir m_root { "bench-archive" };
    zoq::test::ScopedChdir m_inside { m_root.Path() };
    std::map<Codec, std::string> m_streams;
};

Workspace& TheWorkspace()
{
    static Workspace workspace;
    return workspace;
}

void BM_PakManagerReadRaw(benchmark::State& state)
{
    PakManager pak;
    pak.Init(TheWorkspace().StreamFolder(Codec::Raw).c_str());
    // The whole file lands in a buffer as large as memcpy's destination.
    Bytes dest(kStreamSize, 1);
    for (auto _ : state) {
        if (!pak.Open(".\\Data\\Stream")) {
            state.SkipWithError("not found");
            return;
        }
        for (size_t at = 0; at < kStreamSize; at += kBlockSize) {
            if (pak.Read(dest.data() + at, kBlockSize) != kBlockSize) {
                state.SkipWithError("short read");
                return;
            }
        }
        benchmark::DoNotOptimize(dest.data());
    }
    ReportRatio(state);
}
BENCHMARK(BM_PakManagerReadRaw)->Unit(benchmark::kMillisecond);

bool XFilePass(PakManager& pak, Bytes& piece)
{
    XFile file;
    if (!pak.OpenXFile(".\\Data\\Stream", file))
        return false;
    for (size_t at = 0; at < kStreamSize; at += kBlockSize) {
        if (file.Read(piece.data(), kBlockSize) != kBlockSize)
            return false;
    }
    benchmark::DoNotOptimize(piece.data());
    return true;
}

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The file layer over an archive and the bare unpacker over the same stored blocks, in turns so
// that both meet the same machine load; the fastest pass of each counts.
void BM_XFileRead(benchmark::State& state, Codec codec)
{
    PakManager pak;
    pak.Init(TheWorkspace().StreamFolder(codec).c_str());
    const std::vector<Stage>& stages = Packed(codec, Feed::AsStored);
    Bytes piece(kBlockSize), a(kRoom), b(kRoom);
    Clock::duration bare = Clock::duration::max(), layer = Clock::duration::max();
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        const bool unpacked = UnpackPass(codec, stages, a, b);
        const Clock::time_point t1 = Clock::now();
        const bool read = XFilePass(pak, piece);
        const Clock::time_point t2 = Clock::now();
        if (!unpacked || !read) {
            state.SkipWithError(unpacked ? "short read" : "block did not unpack");
            return;
        }
        bare = std::min(bare, t1 - t0);
        layer = std::min(layer, t2 - t1);
    }
    state.counters["bare_ms"] = Milliseconds(bare);
    state.counters["xfile_ms"] = Milliseconds(layer);
}
BENCHMARK_CAPTURE(BM_XFileRead, Rle8, Codec::Rle8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_XFileRead, Rle16, Codec::Rle16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_XFileRead, LzFlags, Codec::LzFlags)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_XFileRead, LzEscape, Codec::LzEscape)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_XFileRead, Rle8LzFlags, Codec::Rle8LzFlags)->Unit(benchmark::kMillisecond);

// Mean time of one lookup over 100 present and 100 absent names, spread over the table.
void BM_FindFile(benchmark::State& state)
{
    const int count = int(state.range(0));
    PakManager pak;
    pak.Init(TheWorkspace().NamesFolder(count).c_str());
    const KWEngine& engine = pak.GetArchive(0);
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i) {
        names.push_back(".\\Data\\Textures\\tex_" + std::to_string(100000 + i * count / 100) + ".tm");
        names.push_back(".\\Data\\Textures\\tex_" + std::to_string(200000 + i) + ".tm");
    }
    for (auto _ : state) {
        int found = 0;
        for (const std::string& name : names)
            found += engine.FindFile(name.c_str()) >= 0;
        if (found != 100) {
            state.SkipWithError("lookup failed");
            return;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(names.size()));
}
BENCHMARK(BM_FindFile)->Arg(100)->Arg(10000);

double Ratio(const zoq::bench::Results& r, const std::string& name)
{
    return zoq::bench::TimeOf(r, "BM_Memcpy") / zoq::bench::TimeOf(r, name);
}

struct Target {
    const char* text;
    const char* benchmark;
    double limit;
};

const Target kBareTargets[] = {
    { "UnpackRle8 output >= 0.5 x memcpy", "BM_Unpack/Rle8", 0.5 },
    { "UnpackRle16 output >= 0.12 x memcpy", "BM_Unpack/Rle16", 0.12 },
    { "UnpackLzFlags output >= 0.05 x memcpy", "BM_Unpack/LzFlags", 0.05 },
    { "UnpackLzEscape output >= 0.05 x memcpy", "BM_Unpack/LzEscape", 0.05 },
    { "rle8+lzflags output >= 0.03 x memcpy", "BM_Unpack/Rle8LzFlags", 0.03 },
    { "PakManager::Read of a raw-stored file in 64 KiB pieces >= 0.5 x memcpy", "BM_PakManagerReadRaw", 0.5 },
};

const bool kBareRequired = [] {
    for (const Target& target : kBareTargets) {
        zoq::bench::Require({ target.text,
            [name = std::string(target.benchmark)](const zoq::bench::Results& r) { return Ratio(r, name); },
            target.limit, false });
    }
    return true;
}();

double XFileRatio(const zoq::bench::Results& r, const std::string& codec)
{
    const auto& counters = r.at("BM_XFileRead/" + codec).counters;
    return counters.at("bare_ms") / counters.at("xfile_ms");
}

const char* const kXFileCodecs[] = { "Rle8", "Rle16", "LzFlags", "LzEscape", "Rle8LzFlags" };

const bool kXFileRequired = [] {
    for (const char* codec : kXFileCodecs) {
        zoq::bench::Require({ std::string("XFile over ") + codec + " archive >= 0.9 x the bare " + codec
                + " figure on the same stored blocks, fastest passes in turns",
            [codec = std::string(codec)](const zoq::bench::Results& r) { return XFileRatio(r, codec); }, 0.9,
            false });
    }
    return true;
}();

const bool kLookupRequired
    = zoq::bench::Require({ "FindFile over 10,000 files takes <= 2 x its time over 100 files",
        [](const zoq::bench::Results& r) {
            return zoq::bench::TimeOf(r, "BM_FindFile/10000") / zoq::bench::TimeOf(r, "BM_FindFile/100");
        },
        2.0, true });

} // namespace
