// A fixture for save games: the machine tables, a writer-made location "Data\location1.zjp" with
// a machine group and a trading building, the player's machine from CFG_STARTUP, and every owner
// of a save section real: the script manager, the radar, the trade table, the organisations, the
// environment and the object list. Saves go to SAVES under the test's folder.
#pragma once

#include "tests/ai/group_fixture.h"

#include "ai/CPlayerFerroGroup.h"
#include "ai/CZJTrade.h"
#include "app/CZJApp.h"
#include "app/SaveFile.h"
#include "script/CZJScriptManager.h"
#include "tests/support/le_bytes.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/db/COrgManager.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CEnvironment.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class SaveGameTest : public GroupTest {
protected:
    static constexpr const char* kLocation = "Data\\location1.zjp";

    void SetUp() override
    {
        GroupTest::SetUp();
        WriteLocation();
        scripts = std::make_unique<CZJScriptManager>();
        g_pScriptManager = scripts.get();
        g_pRadarMap = &radarMap;
        g_pRadar = &radar;
        LoadLocation();
        PlayerControl = {};
        app.savedValueCount = 0;
    }
    void TearDown() override
    {
        g_pRadar = nullptr;
        g_pRadarMap = nullptr;
        g_pScriptManager = nullptr;
        scripts.reset();
        PlayerControl = {};
        GroupTest::TearDown();
    }

    // location1: a flat map, one group of two guards and a building trading TOV_A.
    void WriteLocation()
    {
        namespace zw = zoq::tools::world;
        zw::ObjectsFile file;
        zw::GroupEntry group;
        group.name = "GRP_ROUND";
        group.organisation = "BANDITS";
        group.kind = 4;
        group.members = { "CFG_GUARD", "CFG_GUARD" };
        file.groups.groups.push_back(group);
        zw::TradeGood good;
        good.key = "TOV_A";
        good.maxPrice = 20;
        good.buyPrice = 10;
        good.stock = 50;
        good.minPrice = 5;
        good.normalStock = 40;
        file.trade.entries.push_back(zw::TradeEntry { "B_L1_CEH", { good } });
        WriteFlatMap("Data/location1.zjp");
        WriteObjects("Data/location1.zjo", file);
    }

    // What a game preparation does before a load: the location afresh, the player's machine new.
    void LoadLocation()
    {
        ObjectList.Clear();
        ASSERT_NE(ZJEngine.Load(kLocation), 0);
        std::snprintf(app.locationFile, sizeof app.locationFile, "%s", kLocation);
        radar.InitLocation("none.mmm");
        PlayerFerroGroup.Start();
        PlayerFerrovant->ApplyConfig(FerrovantConfigList.Find("CFG_STARTUP"), true, 0);
        PlayerFerrovant->group = &PlayerFerroGroup;
    }

    // A thing dropped at (x, y) on the ground.
    static CTheThing* DropThing(float x, float y)
    {
        auto* thing = new CTheThing;
        const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, 0, 1 };
        thing->Init(placement, 513);
        thing->AddItem(0, "TOV_A", 2);
        thing->saved = 1;
        ObjectList.AddObject(thing);
        return thing;
    }

    std::filesystem::path Saves() const { return m_dir / "SAVES"; }
    Bytes SaveBytes(const std::string& name) const { return ReadBytes(Saves() / name); }

    // A save's sections in file order: (id, offset of the section header, payload size).
    struct SSectionAt {
        uint32_t id;
        size_t at;
        uint32_t size;
    };
    static std::vector<SSectionAt> Sections(const Bytes& bytes)
    {
        std::vector<SSectionAt> sections;
        const uint32_t version = zoq::test::U32At(bytes, 604);
        size_t at = SaveHeader::kSize + (version > 256 ? SaveHeader::kScreenshotSize : 0);
        while (at + savefile::kSectionHeaderSize <= bytes.size()) {
            const uint32_t size = zoq::test::U32At(bytes, at + 4);
            sections.push_back({ zoq::test::U32At(bytes, at), at, size });
            at += savefile::kSectionHeaderSize + size;
        }
        return sections;
    }

    // One section's frame and payload.
    static Bytes Section(uint32_t id, const Bytes& payload)
    {
        Bytes out(savefile::kSectionHeaderSize);
        savefile::EncodeSectionHeader(id, uint32_t(payload.size()), out.data());
        out.insert(out.end(), payload.begin(), payload.end());
        return out;
    }

    // A game save's header and black picture followed by the given sections.
    static Bytes GameSave(const std::vector<Bytes>& sections, const std::string& location = kLocation)
    {
        SaveHeader header;
        header.sectionCount = uint32_t(sections.size());
        header.title = "made";
        header.level = location;
        header.gameTime = 2.5f;
        header.organisation = "ORG_PLAYER";
        header.version = savefile::kGameVersion;
        const auto encoded = header.Encode();
        Bytes out(encoded.begin(), encoded.end());
        out.resize(out.size() + SaveHeader::kScreenshotSize);
        for (const Bytes& section : sections)
            out.insert(out.end(), section.begin(), section.end());
        return out;
    }

    CZJApp app;
    CRadar radar;
    CRadarMap radarMap;
    std::unique_ptr<CZJScriptManager> scripts;
};
