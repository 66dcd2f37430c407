// Font: laying out and shortening a long text against a short one. Each costs the same per
// character whatever the text's length, so the per-character times of a 16 KiB and a 1 KiB text
// stay close. The font holds a glyph for every Windows-1251 character, as the game's fonts do.
#include "bench/bench_font.h"
#include "bench/requirements.h"

#include "render/CFont.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

constexpr int kShort = 1024;
constexpr int kLong = 16384;

// Words of Latin and Cyrillic letters, digits and stops, with a line feed about every 80 bytes.
std::string Text(int length)
{
    std::string text;
    uint32_t state = 12345;
    int column = 0;
    while (int(text.size()) < length) {
        state = state * 1664525u + 1013904223u;
        const uint32_t pick = state >> 8;
        if (column > 80) {
            text += '\n';
            column = 0;
        } else if (pick % 7 == 0) {
            text += ' ';
        } else {
            static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789.,"
                                          "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7";
            text += letters[pick / 7 % (sizeof letters - 1)];
        }
        ++column;
    }
    text.resize(size_t(length));
    return text;
}

void BM_FontLayout(benchmark::State& state)
{
    CFont& font = zoq::bench::BenchFont();
    const std::string text = Text(int(state.range(0)));
    const CFont::BatchSink sink = [](CVertexData& quads) { benchmark::DoNotOptimize(quads.vertices); };
    for (auto _ : state)
        benchmark::DoNotOptimize(font.LayoutText(10, 20, 640, text.c_str(), sink));
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FontLayout)->Arg(kShort)->Arg(kLong);

// Shortening to half the text's width with an 8-character tail: the head has to shrink by half.
void BM_FontFit(benchmark::State& state)
{
    CFont& font = zoq::bench::BenchFont();
    const CXAnsiString text(Text(int(state.range(0))).c_str());
    const int32_t maxWidth = font.GetTextWidth(text.Text()) / 2;
    CXAnsiString out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(font.FitText(text, out, maxWidth, 8));
        benchmark::DoNotOptimize(out.Text());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FontFit)->Arg(kShort)->Arg(kLong);

// Time per character of the long text over that of the short one.
double PerCharacterRatio(const zoq::bench::Results& r, const std::string& name)
{
    const double longTime = zoq::bench::TimeOf(r, name + "/" + std::to_string(kLong)) / kLong;
    return longTime / (zoq::bench::TimeOf(r, name + "/" + std::to_string(kShort)) / kShort);
}

const bool kLayoutRequired = zoq::bench::Require({
    "laying out a 16 KiB text costs <= 1.3x per glyph what a 1 KiB text costs",
    [](const zoq::bench::Results& r) { return PerCharacterRatio(r, "BM_FontLayout"); },
    1.3,
});

const bool kFitRequired = zoq::bench::Require({
    "shortening a 16 KiB text costs <= 1.3x per character what a 1 KiB text costs",
    [](const zoq::bench::Results& r) { return PerCharacterRatio(r, "BM_FontFit"); },
    1.3,
});

} // namespace
