// One frame of a building menu on the null backend (Render, ProcessMessages, RunControl) with 60
// right and 40 left list entries and a text panel of 300 records, against printing the same
// texts with the font: the menu keeps the frame within twice that.
#include "bench/bench_font.h"
#include "bench/null_scene.h"
#include "bench/requirements.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "ui/CBuildingMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CZJHtmlWindow.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRight = 60;
constexpr int kLeft = 40;
constexpr int kRecords = 300;

struct BuildingScene {
    BuildingScene()
    {
        g_pFont = &zoq::bench::BenchFont();
        menu = std::make_unique<CBuildingMenu>("B_BENCH", "B_BENCH", false, false);
        menu->Init();
        // The intro, the slides and the building's page are over: a frame of the open menu.
        for (int i = 0; i < 200; ++i)
            menu->ProcessMessages();
        std::vector<SListEntry> right(kRight);
        std::vector<SListEntry> left(kLeft);
        for (int i = 0; i < kRight + kLeft; ++i) {
            SListEntry& entry = i < kRight ? right[size_t(i)] : left[size_t(i - kRight)];
            entry = {};
            std::snprintf(entry.key, sizeof entry.key, "KEY_%d", i);
            std::snprintf(entry.name, sizeof entry.name, "Entry %d of the list", i);
            texts.push_back(entry.name);
        }
        menu->FillRightList(right.data(), kRight);
        menu->FillLeftList(left.data(), kLeft);
        for (int i = 0; i < kRecords; ++i) {
            texts.push_back("Record " + std::to_string(i) + " of the building's page text");
            menu->textPanel->window->AddText(CXAnsiString(texts.back().c_str()), "EMPTY", true);
        }
    }

    zoq::bench::NullScene null;
    std::unique_ptr<CBuildingMenu> menu;
    std::vector<std::string> texts;
};

BuildingScene& Scene()
{
    static BuildingScene scene;
    return scene;
}

void BM_BuildingMenuFrame(benchmark::State& state)
{
    BuildingScene& scene = Scene();
    for (auto _ : state) {
        scene.menu->Render();
        scene.menu->ProcessMessages();
        scene.menu->RunControl();
    }
    state.counters["texts"] = double(scene.texts.size());
    state.counters["right"] = double(scene.menu->rightList.Count());
    state.counters["records"] = double(scene.menu->textPanel->window->LineCount());
}
BENCHMARK(BM_BuildingMenuFrame);

void BM_BuildingMenuTexts(benchmark::State& state)
{
    BuildingScene& scene = Scene();
    for (auto _ : state) {
        for (size_t i = 0; i < scene.texts.size(); ++i)
            g_pFont->PrintText(20 + int32_t(i % 4) * 190, 20 + int32_t(i / 4 % 30) * 18,
                scene.texts[i].c_str(), 0x80808080u);
    }
    state.counters["texts"] = double(scene.texts.size());
}
BENCHMARK(BM_BuildingMenuTexts);

const bool kBuildingMenuRequired = zoq::bench::Require({
    "a building menu frame with 60 + 40 entries and 300 text records costs <= 2x printing their texts",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_BuildingMenuFrame") / zoq::bench::TimeOf(r, "BM_BuildingMenuTexts");
    },
    2.0,
});

} // namespace
