// Save games on a writer-made location1 with its machine groups: the whole save against the same
// owners writing into one buffer and one write of those bytes, and the whole load against the
// owners reading the same payloads from memory. The frame (a temporary file renamed over the
// save, the header and section checks, a copy of each payload) may cost as much again.
#include "bench/bench_location.h"
#include "bench/requirements.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CZJTrade.h"
#include "app/CZJApp.h"
#include "app/SaveFile.h"
#include "foundation/BaseDirectory.h"
#include "foundation/XMemBuffer.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "tools/world/objects_writer.h"
#include "ui/CRadar.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kGroups = 40;
constexpr int kMembers = 10;
constexpr int kBuildings = 20;
constexpr int kGoods = 10;
constexpr const char* kSave = "bench.sav";

struct Scene {
    Scene()
    {
        SetBaseDirectory(folder.Path().string());
        zoq::test::DiscardErrorLog();
        std::string goods;
        for (int g = 0; g < kGoods; ++g)
            goods += "[TOV_" + std::to_string(g) + "]\nMASSA=1\n";
        const std::vector<std::pair<std::string, std::string>> tables = {
            { "Глайдеры", "[GL_A]\nDAMAGE=500\nWEIGHT=40\nMAXWEIGHT=400\nSTANDARD=3\n" },
            { "Оборудование",
                "[EQP_ARMOR]\nTYPE=3\nVALUE1=500\nDAMAGE=500\n[EQP_SHIELD]\nTYPE=2\nVALUE1=200\nDAMAGE="
                "200\n" },
            { "Товары", goods },
            { "Конфигурации", "[CFG_BENCH]\nRATING=5\nGLIDER=GL_A\nSHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR\n" },
            { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_A]\n[ORG_B]\n" },
        };
        zoq::test::UseUtf8IniTables(tables);
        ZJEngine.ZJInit();
        VisibleRadius = 256;
        Location.Init();

        namespace zw = zoq::tools::world;
        zw::ObjectsFile file;
        for (int g = 0; g < kGroups; ++g) {
            zw::GroupEntry group;
            group.name = "G" + std::to_string(g);
            group.organisation = g % 2 ? "ORG_A" : "ORG_B";
            group.kind = 2;
            group.members.assign(kMembers, "CFG_BENCH");
            file.groups.groups.push_back(group);
        }
        for (int b = 0; b < kBuildings; ++b) {
            zw::TradeEntry entry { "B_L1_" + std::to_string(b), {} };
            for (int g = 0; g < kGoods; ++g) {
                zw::TradeGood good;
                good.key = "TOV_" + std::to_string(g);
                good.maxPrice = 20;
                good.buyPrice = 10;
                good.stock = 50;
                good.minPrice = 5;
                good.normalStock = 40;
                entry.goods.push_back(good);
            }
            file.trade.entries.push_back(entry);
        }
        zoq::bench::LoadBenchLocation1(folder.Path(), file);

        g_pScriptManager = &scripts;
        for (int q = 0; q < 20; ++q)
            scripts.AddQuest(("Q_" + std::to_string(q)).c_str());
        radar.InitLocation("none.mmm");
        g_pRadar = &radar;
        PlayerFerroGroup.Start();
        PlayerFerrovant->ApplyConfig(FerrovantConfigList.Find("CFG_BENCH"), true, 0);
        std::snprintf(app.locationFile, sizeof app.locationFile, "Data\\location1.zjp");
        app.savedValueCount = 8;
        if (!app.SaveGame(kSave, "Bench", 1, "B_L1_0", false))
            std::abort();
    }

    zoq::test::TempDir folder { "bench-savegame" };
    CZJScriptManager scripts;
    CRadar radar;
    CZJApp app;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

// Every owner's payload behind its section header, in the save's order, into one buffer.
void WriteSections(CZJApp& app, XMemBuffer& out)
{
    const auto section = [&](uint32_t id, auto&& write) {
        const int at = out.Reserve(int(savefile::kSectionHeaderSize));
        const int start = out.Position();
        write();
        savefile::EncodeSectionHeader(id, uint32_t(out.Position() - start), out.Data() + at);
    };
    section(1, [&] { g_pScriptManager->SaveState(out); });
    section(2, [&] { FerroGroupList.SaveGame(out, true); });
    section(3, [&] { PlayerFerrovant->SaveGame(out, true); });
    section(4, [&] { ObjectList.SaveGame(out); });
    section(5, [&] { Environment.SaveGame(out); });
    section(6, [&] { g_pRadar->Save(out); });
    section(7, [&] { ZJTrade.Save(out); });
    section(8, [&] { g_OrgManager.SaveGame(out); });
    section(9, [&] {
        out.WriteValue(app.savedValueCount);
        out.Write(app.savedValues, int(app.savedValueCount * 4));
    });
    section(11, [&] { CZJApp::SavePlayerControlState(out); });
}

void BM_SaveGame(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        if (!scene.app.SaveGame(kSave, "Bench", 1, "B_L1_0", false))
            state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveGame)->Unit(benchmark::kMicrosecond);

void BM_SectionsOnly(benchmark::State& state)
{
    Scene& scene = TheScene();
    const std::string path = (scene.folder.Path() / "SAVES/sections.bin").string();
    for (auto _ : state) {
        XMemBuffer out(50000);
        out.Reserve(int(SaveHeader::kSize + SaveHeader::kScreenshotSize));
        WriteSections(scene.app, out);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(out.Data(), 1, size_t(out.Position()), file) != size_t(out.Position()))
            state.SkipWithError("write failed");
        if (file)
            std::fclose(file);
    }
}
BENCHMARK(BM_SectionsOnly)->Unit(benchmark::kMicrosecond);

void BM_LoadGame(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        if (!scene.app.LoadGame(kSave, false))
            state.SkipWithError("load failed");
}
BENCHMARK(BM_LoadGame)->Unit(benchmark::kMicrosecond);

void BM_OwnersFromMemory(benchmark::State& state)
{
    Scene& scene = TheScene();
    const Bytes bytes = zoq::test::ReadBytes(scene.folder.Path() / "SAVES" / kSave);
    SaveHeader header;
    std::string reason;
    if (!savefile::ReadHeader(bytes.data(), bytes.size(), header, reason))
        std::abort();
    std::vector<std::pair<uint32_t, Bytes>> payloads;
    savefile::CSectionWalk walk(bytes.data(), bytes.size(), header);
    uint32_t id = 0;
    const uint8_t* payload = nullptr;
    uint32_t size = 0;
    while (walk.Next(id, payload, size))
        payloads.emplace_back(id, Bytes(payload, payload + size));
    for (auto _ : state) {
        for (auto& [section, data] : payloads) {
            XMemBuffer in;
            in.Attach(data.data(), int(data.size()));
            switch (section) {
            case 1:
                g_pScriptManager->LoadState(in);
                break;
            case 2:
                FerroGroupList.LoadGame(in);
                break;
            case 3:
                PlayerFerrovant->LoadGame(in, true);
                break;
            case 4:
                ObjectList.LoadGame(in);
                break;
            case 5:
                Environment.LoadGame(in);
                break;
            case 6:
                g_pRadar->Load(in);
                break;
            case 7:
                ZJTrade.Load(in);
                break;
            case 8:
                g_OrgManager.LoadGame(in, in.Capacity());
                break;
            case 9: {
                uint32_t count = 0;
                savefile::ReadLocationList(in.Data(), uint32_t(in.Capacity()), scene.app.savedValues, count);
                break;
            }
            case 11:
                CZJApp::LoadPlayerControlState(in);
                break;
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OwnersFromMemory)->Unit(benchmark::kMicrosecond);

const bool kSaveRequired = zoq::bench::Require({
    "a save game takes at most twice its owners writing into one buffer and one write of the bytes",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_SaveGame") / zoq::bench::TimeOf(r, "BM_SectionsOnly");
    },
    2.0,
    true,
});

const bool kLoadRequired = zoq::bench::Require({
    "a load takes at most twice its owners reading the same payloads from memory",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_LoadGame") / zoq::bench::TimeOf(r, "BM_OwnersFromMemory");
    },
    2.0,
    true,
});

} // namespace
