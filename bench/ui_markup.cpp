// Mark-up window: laying out a 16 KiB text of about 2,000 words with colour tags and links in a
// 400-pixel window, against measuring each of its tokens once with the font. The layout measures
// per row and per wrap, not per word, so it stays within a small multiple of that.
#include "bench/bench_font.h"
#include "bench/requirements.h"

#include "render/CFont.h"
#include "tools/ui/markup_host.h"
#include "ui/CMHTLWindow_local.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextBytes = 16384;

// Words of 2 to 9 letters; every 10th in a colour, every 25th a link.
const std::string& Text()
{
    static const std::string text = [] {
        std::string out;
        uint32_t state = 2024;
        for (int word = 0; out.size() < kTextBytes; ++word) {
            state = state * 1664525u + 1013904223u;
            std::string letters(2 + (state >> 8) % 8, 'a');
            for (size_t i = 0; i < letters.size(); ++i)
                letters[i] = char('a' + (state >> (i + 3)) % 26);
            if (word % 25 == 24)
                out += "<link:" + letters + "=KEY_" + std::to_string(word) + "> ";
            else if (word % 10 == 9)
                out += "<color:ff8000>" + letters + "<color> ";
            else
                out += letters + " ";
        }
        return out;
    }();
    return text;
}

void BM_MarkupAddText(benchmark::State& state)
{
    zoq::tools::ui::MarkupHost window(0, 0, 400, 100000, &zoq::bench::BenchFont());
    const CXAnsiString text(Text().c_str());
    for (auto _ : state) {
        window.Clear();
        window.AddText(text, "TEXT", true);
        benchmark::DoNotOptimize(window.LineCount());
    }
    if (window.LineCount() >= CMHTLWindow::kAddLimit)
        throw std::runtime_error("the text does not fit the window's table");
    state.counters["records"] = window.LineCount();
    state.counters["measures"] = double(window.widthCalls) / double(state.iterations());
}
BENCHMARK(BM_MarkupAddText);

void BM_MarkupMeasureTokens(benchmark::State& state)
{
    std::vector<std::string> tokens;
    mhtl::ForEachToken(Text(), [&tokens](std::string_view token, bool) { tokens.emplace_back(token); });
    const CFont& font = zoq::bench::BenchFont();
    for (auto _ : state) {
        for (const std::string& token : tokens)
            benchmark::DoNotOptimize(font.GetTextWidth(token.c_str()));
    }
    state.counters["tokens"] = double(tokens.size());
}
BENCHMARK(BM_MarkupMeasureTokens);

const bool kAddTextRequired = zoq::bench::Require({
    "laying out a 16 KiB mark-up text in a 400-pixel window costs <= 3x measuring each of its tokens once",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_MarkupAddText") / zoq::bench::TimeOf(r, "BM_MarkupMeasureTokens");
    },
    3.0,
});

} // namespace
