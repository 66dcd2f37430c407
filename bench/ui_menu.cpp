// One frame of a menu of 100 link items on the null backend (Render, ProcessMessages,
// RunControl) against printing the same 100 texts with the font: the framework around the texts
// keeps the frame within twice that.
#include "bench/bench_font.h"
#include "bench/null_scene.h"
#include "bench/requirements.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMenuLinkItem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 100;

struct MenuScene {
    MenuScene()
    {
        g_pFont = &zoq::bench::BenchFont();
        for (int i = 0; i < kItems; ++i) {
            texts.push_back("Entry " + std::to_string(i) + " of the list");
            const int32_t x = 20 + (i / 25) * 150;
            const int32_t y = 20 + (i % 25) * 18;
            menu.AddControl(
                new CMenuLinkItem(x, y, x + 140, y + 16, texts.back().c_str(), uint32_t(4096 + i)));
        }
    }

    zoq::bench::NullScene null;
    CBaseMenu menu;
    std::vector<std::string> texts;
};

MenuScene& Scene()
{
    static MenuScene scene;
    return scene;
}

void BM_MenuFrame(benchmark::State& state)
{
    MenuScene& scene = Scene();
    for (auto _ : state) {
        scene.menu.Render();
        scene.menu.ProcessMessages();
        scene.menu.RunControl();
    }
    state.counters["items"] = kItems;
}
BENCHMARK(BM_MenuFrame);

void BM_MenuTexts(benchmark::State& state)
{
    MenuScene& scene = Scene();
    for (auto _ : state) {
        for (int i = 0; i < kItems; ++i)
            g_pFont->PrintText(
                20 + (i / 25) * 150, 20 + (i % 25) * 18, scene.texts[size_t(i)].c_str(), 0x80808080u);
    }
    state.counters["items"] = kItems;
}
BENCHMARK(BM_MenuTexts);

const bool kMenuRequired = zoq::bench::Require({
    "a frame of a menu of 100 link items costs <= 2x printing their 100 texts",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_MenuFrame") / zoq::bench::TimeOf(r, "BM_MenuTexts");
    },
    2.0,
});

} // namespace
