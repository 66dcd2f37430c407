// DXT3 encoding against libpng decoding of the same 1024x768 picture from memory: loading an
// interface picture into a DXT3 surface must cost at most twice its decoding.
#include "bench/requirements.h"
#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/d3dx/image.h"
#include "platform/gfx/format.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kWidth = 1024;
constexpr uint32_t kHeight = 768;

// Smooth gradients with soft noise and a few hard edges, like a painted interface picture.
struct Picture {
    Picture()
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-6, 6);
        argb.resize(size_t(kWidth) * kHeight);
        for (uint32_t y = 0; y < kHeight; ++y)
            for (uint32_t x = 0; x < kWidth; ++x) {
                int r = int(x * 255 / kWidth) + noise(random);
                int g = int(y * 255 / kHeight) + noise(random);
                int b = ((x / 64 + y / 64) % 2 ? 200 : 60) + noise(random);
                int a = 255 - int((x + y) % 256) / 4;
                auto clamp = [](int v) { return uint32_t(std::min(255, std::max(0, v))); };
                argb[size_t(y) * kWidth + x] = clamp(a) << 24 | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
            }
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        image.width = kWidth;
        image.height = kHeight;
        image.format = PNG_FORMAT_BGRA;
        png_alloc_size_t size = 0;
        if (!png_image_write_to_memory(&image, nullptr, &size, 0, argb.data(), 0, nullptr))
            std::abort();
        png.resize(size);
        if (!png_image_write_to_memory(&image, png.data(), &size, 0, argb.data(), 0, nullptr))
            std::abort();
        png.resize(size);
    }
    std::vector<uint32_t> argb;
    std::vector<uint8_t> png;
};

const Picture& ThePicture()
{
    static Picture picture;
    return picture;
}

void BM_PngDecode(benchmark::State& state)
{
    const Picture& picture = ThePicture();
    for (auto _ : state) {
        plat::gfx::d3dx::Image image;
        if (plat::gfx::d3dx::ReadPng(picture.png, image, false, nullptr) != plat::gfx::Result::Ok)
            state.SkipWithError("the PNG does not read");
        benchmark::DoNotOptimize(image.levels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond);

void BM_Dxt3Encode(benchmark::State& state)
{
    const Picture& picture = ThePicture();
    uint32_t pitch = plat::gfx::RowPitch(plat::gfx::Format::Dxt3, kWidth);
    std::vector<uint8_t> blocks(size_t(pitch) * kHeight / 4);
    for (auto _ : state) {
        plat::gfx::d3dx::EncodeDxt(
            plat::gfx::Format::Dxt3, picture.argb.data(), kWidth, kWidth, kHeight, blocks.data(), pitch);
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_Dxt3Encode)->Unit(benchmark::kMillisecond);

const bool kRequired = zoq::bench::Require({
    "DXT3 encoding of a 1024x768 picture runs at least half as fast as libpng decodes it",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_PngDecode") / zoq::bench::TimeOf(r, "BM_Dxt3Encode");
    },
    0.5,
    false,
});

} // namespace
