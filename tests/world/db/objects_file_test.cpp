// Location load: the objects file's blocks, groups, trade and music, and every way it can be cut
// short or be corrupt.
#include "tests/world/db/world_fixture.h"

#include "ai/CFerroGroup.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CAnomalZonePoint.h"
#include "world/objects/CBoundObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CSoundZonePoint.h"
#include "world/objects/CStoneObject.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <cstring>

namespace {

using namespace zoq::tools::world;

class ObjectsFileTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({
            { "Камни", "[ST_ROCK]\n[ST_PEBBLE]\n" },
            { "Деревья", "[TR_OAK]\n" },
            { "Хелперы", "[HLP_GATE]\nTYPE=5\n" },
            { "Дороги", "[RD_ROAD]\n" },
            { "Здания", "[BLD_BASE]\n" },
            { "Anomal", "[AN_FIELD]\n" },
            { "Boundary", "[BD_POST]\n" },
            { "SoundZone", "[SZ_WIND]\n" },
            { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_TRANSES]\n[ORG_GUARD]\n[ORG_NPC]\n" },
        }));
        ZJEngine.ZJInit();
        WriteFlatMap("Data/loc.zjp");
    }

    // Loads Data\loc.zjp with the objects file given.
    int Load(const ObjectsFile& file)
    {
        WriteObjects("Data/loc.zjo", file);
        return ZJEngine.Load("Data\\loc.zjp");
    }

    static ObjectBlock Block(uint32_t code, std::vector<PlacedObject> records)
    {
        ObjectBlock block;
        block.code = code;
        block.records = std::move(records);
        return block;
    }
    static ObjectBlock Linked(uint32_t code, std::vector<LinkedEntry> entries)
    {
        ObjectBlock block;
        block.code = code;
        block.linked = true;
        block.entries = std::move(entries);
        return block;
    }

    static int CountOfType(int type)
    {
        int n = 0;
        for (CZJObject* object : ObjectList.Objects())
            n += object->type == type ? 1 : 0;
        return n;
    }
};

TEST_F(ObjectsFileTest, NoBlocksStillReadsGroupsTradeAndMusic)
{
    ObjectsFile file;
    GroupEntry group;
    group.name = "caravan";
    group.organisation = "ORG_TRANCES";
    group.kind = 9;
    group.members = { "CFG_A", "CFG_B" };
    file.groups.groups.push_back(group);
    file.trade.version = 2;
    file.trade.entries.push_back(TradeEntry { "BLD_BASE", { {}, {} } });
    file.music.mainTrack = "MUS_MAIN";
    file.music.battle = { "MUS_B1", "MUS_B2" };
    file.music.calm = { "MUS_C1" };
    file.music.sounds.push_back(TimedSound { "SND_BIRD", 30.0f, 2.0f, 1, 6, 20, {} });

    // What the location held before goes.
    ObjectList.AddObject(new CStoneObject);
    EXPECT_NE(Load(file), 0);
    EXPECT_EQ(Location.streamOpen, 1);
    EXPECT_EQ(Location.blocksX, 1); // the one-block map's, after 64 while the objects were read
    EXPECT_NE(std::string(Location.fileName).find("loc.zjp"), std::string::npos);

    EXPECT_TRUE(ObjectList.Objects().IsEmpty());
    ASSERT_EQ(FerroGroupList.Count(), 2);
    const CFerroGroup& caravan = *FerroGroupList.At(1);
    EXPECT_STREQ(caravan.name, "CARAVAN");
    EXPECT_EQ(caravan.organisation, g_OrgManager.FindOrganisation("ORG_TRANSES"));
    EXPECT_EQ(caravan.configuredCount, 2);
    EXPECT_STREQ(caravan.memberConfigs[1], "CFG_B");
    ASSERT_EQ(ZJTrade.entryCount, 1);
    EXPECT_STREQ(ZJTrade.Entry(0).building, "BLD_BASE");
    EXPECT_EQ(ZJTrade.Entry(0).goods.Count(), 2);
    EXPECT_STREQ(ZJEngine.music.mainTrack, "MUS_MAIN");
    EXPECT_EQ(ZJEngine.music.battleCount, 2u);
    EXPECT_STREQ(ZJEngine.music.battleTracks[1], "MUS_B2");
    EXPECT_EQ(ZJEngine.music.calmCount, 1u);
    ASSERT_EQ(ZJEngine.music.soundCount, 1u);
    EXPECT_STREQ(ZJEngine.music.sounds[0].key, "SND_BIRD");
    EXPECT_EQ(ZJEngine.music.sounds[0].endHour, 20);
    // The configurations are not in this location's data: each member logs its fallback.
    EXPECT_EQ(LogLineCount("FerroGroup::Init Config not found"), 2);
    EXPECT_EQ(LogLineCount(""), 2);
}

TEST_F(ObjectsFileTest, TheObjectsFileIsTheMapNameWithItsLastCharacterReplaced)
{
    WriteFlatMap("Data/odd.zjx");
    WriteObjects("Data/odd.zjo", ObjectsFile {});
    EXPECT_NE(ZJEngine.Load("Data\\odd.zjx"), 0);
    EXPECT_NE(std::string(Location.fileName).find("odd.zjx"), std::string::npos);
}

TEST_F(ObjectsFileTest, GroupsKeepTheirOrganisationOrBecomeFree)
{
    ObjectsFile file;
    file.groups.flagPresent = true;
    GroupEntry hunters;
    hunters.name = "Hunters";
    hunters.organisation = "ORG_GUARD";
    hunters.kind = 2;
    hunters.hunterValues = { 1, 2, 3 };
    hunters.members = { "CFG_H" };
    hunters.flagByte = 7;
    GroupEntry lost = hunters;
    lost.name = "lost";
    lost.organisation = "ORG_UNKNOWN";
    lost.kind = 9;
    lost.hunterValues.clear();
    file.groups.groups = { hunters, lost };
    Load(file);
    ASSERT_EQ(FerroGroupList.Count(), 3);
    EXPECT_EQ(FerroGroupList.At(1)->organisation, g_OrgManager.FindOrganisation("ORG_GUARD"));
    EXPECT_EQ(FerroGroupList.At(2)->organisation, g_OrgManager.FindOrganisation("ORG_FREE"));
    EXPECT_STREQ(FerroGroupList.At(2)->memberConfigs[0], "CFG_H");
}

TEST_F(ObjectsFileTest, TheGroupsBlockCarriesEachKindsPointsAndTheAttachedByte)
{
    ObjectsFile file;
    const auto node = [](const char* name, std::vector<uint32_t> words) {
        return LinkedEntry { PlacedObject::At("RD_ROAD", float(words[0]), 0, 0, name), std::move(words) };
    };
    file.blocks.push_back(Linked(8, { node("P0", { 10, 20 }), node("P1", { 20, 10 }) }));
    file.groups.flagPresent = true;
    const auto entry = [](const char* name, const char* org, int32_t kind) {
        GroupEntry group;
        group.name = name;
        group.organisation = org;
        group.kind = kind;
        group.members = { "CFG_X" };
        return group;
    };
    GroupEntry guard = entry("guard", "ORG_TRANCES", 0);
    guard.homePoint = 1;
    guard.radius = 450.0f;
    guard.flagByte = 1;
    GroupEntry caravan = entry("CARAVAN", "ORG_NOWHERE", 1);
    caravan.routeStart = 0;
    caravan.routeEnd = 1;
    GroupEntry hunter = entry("HUNTER", "ORG_GUARD", 2);
    hunter.hunterValues = { 1, 7, 0 };
    GroupEntry people = entry("PEOPLE", "ORG_GUARD", 3);
    people.point = 1;
    GroupEntry stand = entry("ORG_GUARD", "ORG_NPC", 4);
    stand.point = 0;
    file.groups.groups = { guard, caravan, hunter, people, stand, entry("PLAIN", "ORG_GUARD", 9) };
    Load(file);
    ASSERT_EQ(FerroGroupList.Count(), 7);
    EXPECT_EQ(FerroGroupList.FindGroupByName("guard"), nullptr);
    const CFerroGroup& g = *FerroGroupList.FindGroupByName("GUARD");
    EXPECT_EQ(g.homePoint, 1);
    EXPECT_FLOAT_EQ(g.guardRadius, 450.0f);
    EXPECT_EQ(g.attachedToPlayer, 1);
    EXPECT_EQ(g.active, 0);
    EXPECT_EQ(g.organisation, g_OrgManager.FindOrganisation("ORG_TRANSES"));
    const CFerroGroup& c = *FerroGroupList.At(2);
    EXPECT_EQ(c.routeStart, 0);
    EXPECT_EQ(c.routeEnd, 1);
    EXPECT_EQ(c.attachedToPlayer, 0);
    EXPECT_EQ(c.organisation, g_OrgManager.FindOrganisation("ORG_FREE"));
    EXPECT_EQ(FerroGroupList.At(3)->huntPoints, (std::vector<int32_t> { 1, 0 })); // 7 is no point
    EXPECT_EQ(FerroGroupList.At(4)->peoplePoint, 1);
    EXPECT_EQ(FerroGroupList.At(5)->standPoint, 0);
    EXPECT_EQ(FerroGroupList.At(5)->organisation, g_OrgManager.FindOrganisation("ORG_GUARD"));
    EXPECT_EQ(LogLineCount("NPC ORG: ORG_GUARD"), 1);
}

TEST_F(ObjectsFileTest, GenericBlocksCreateObjectsAndMissingIdsFallBackToStones)
{
    ObjectsFile file;
    file.blocks.push_back(Block(3, { PlacedObject::At("ST_ROCK", 1, 2, 3, "big rock") }));
    file.blocks.push_back(Block(4,
        { PlacedObject::At("TR_OAK", 0, 0, 0), PlacedObject::At("ST_PEBBLE", 5, 0, 0, "pebble"),
            PlacedObject::At("NOTHING", 0, 0, 0) }));
    file.blocks.push_back(Block(11, { PlacedObject::At("BLD_BASE", 0, 0, 0, "depot") }));
    Load(file);
    EXPECT_EQ(CountOfType(3), 2);
    EXPECT_EQ(CountOfType(4), 1);
    EXPECT_EQ(CountOfType(11), 1);
    const CZJObject* rock = ObjectList.FindObject(MakeNameKey32("BIG ROCK"), 3);
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->frame.position.z, 3.0f);
    EXPECT_STREQ(static_cast<const CStoneObject*>(rock)->typeKey.text, "ST_ROCK");
    EXPECT_NE(ObjectList.FindObject(MakeNameKey32("PEBBLE"), 3), nullptr);
    EXPECT_NE(ObjectList.FindObject(MakeNameKey32("DEPOT"), 11), nullptr);
    EXPECT_EQ(LogCount("Не найден идентификатор 'ST_PEBBLE'"), 1);
    EXPECT_EQ(LogCount("Не найден идентификатор 'NOTHING'"), 1);
    // The file's objects keep the id they bring: none.
    EXPECT_EQ(rock->id, 0);
    EXPECT_EQ(ObjectList.lastObjectId, 0);
}

TEST_F(ObjectsFileTest, AnUnlistedBlockIsLoggedOnceAndItsStoneIdsBecomeStones)
{
    ObjectsFile file;
    file.blocks.push_back(Block(5,
        { PlacedObject::At("ST_ROCK", 0, 0, 0), PlacedObject::At("TR_OAK", 0, 0, 0),
            PlacedObject::At("ST_PEBBLE", 0, 0, 0) }));
    Load(file);
    EXPECT_EQ(LogCount("CZJEngine::ZJLoadObjects unknown data type"), 1);
    EXPECT_EQ(LogCount("Не найден идентификатор"), 3);
    EXPECT_EQ(CountOfType(3), 2);
    EXPECT_EQ(CountOfType(4), 0);
}

TEST_F(ObjectsFileTest, PointBlocksFillTheBuildingList)
{
    ObjectsFile file;
    PlacedObject gate = PlacedObject::At("HLP_GATE", 4, 5, 6, "Gate A");
    gate.placement[0] = 0.5f;
    file.blocks.push_back(Block(7, { gate, PlacedObject::At("HLP_NONE", 0, 0, 0) }));
    file.blocks.push_back(
        Block(20, { PlacedObject::At("AN_FIELD", 0, 0, 0, "field"), PlacedObject::At("AN_X", 0, 0, 0) }));
    file.blocks.push_back(Block(24, { PlacedObject::At("SZ_WIND", 0, 0, 0, "wind") }));
    file.blocks.push_back(Block(19, { PlacedObject::At("anything", 0, 0, 0, "lamp") }));
    Load(file);
    std::vector<CHelperPoint*> points;
    for (CHelperPoint* point : ObjectList.HelperPoints())
        points.push_back(point);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_STREQ(points[0]->name, "Gate A");
    EXPECT_EQ(points[0]->kind, 5);
    EXPECT_FLOAT_EQ(points[0]->radius, 50.0f);
    EXPECT_FLOAT_EQ(points[0]->transform.position.y, 5.0f);
    EXPECT_NE(dynamic_cast<CAnomalZonePoint*>(points[1]), nullptr);
    EXPECT_NE(dynamic_cast<CSoundZonePoint*>(points[2]), nullptr);
    EXPECT_STREQ(points[2]->name, "WIND");
    EXPECT_EQ(CountOfType(19), 1);
    EXPECT_FALSE(LogExists()); // unknown helper and anomaly ids are skipped silently
}

TEST_F(ObjectsFileTest, RoadLinksBecomeTwoWayNodeIndices)
{
    auto node = [](const char* name, std::vector<uint32_t> words) {
        return LinkedEntry { PlacedObject::At("RD_ROAD", float(words[0]), 0, 0, name), std::move(words) };
    };
    ObjectsFile file;
    // Node 30 links 10 one way; -1 and the unknown 99 are dropped.
    file.blocks.push_back(Linked(
        8, { node("north", { 10 }), node("", { 20, 10 }), node("south", { 30, 10, 0xFFFFFFFFu, 99 }) }));
    Load(file);
    ASSERT_EQ(g_RoadManager.NodeCount(), 3);
    const SRoadNode& north = *g_RoadManager.GetNode(0);
    EXPECT_EQ(north.linkCount, 2);
    EXPECT_EQ(north.links[0], 1);
    EXPECT_EQ(north.links[1], 2);
    EXPECT_EQ(g_RoadManager.GetNode(2)->linkCount, 1);
    EXPECT_EQ(g_RoadManager.GetNode(2)->links[0], 0);
    EXPECT_FLOAT_EQ(g_RoadManager.GetNode(2)->position[0], 30.0f);
    EXPECT_EQ(LogCount("Found unlinked road link"), 1);
    EXPECT_EQ(LogCount("Error while converting road links"), 1);
    EXPECT_EQ(g_RoadManager.FindNodeByName("south"), 2);
    EXPECT_EQ(g_RoadManager.FindNodeByName(""), -1);
    EXPECT_EQ(g_RoadManager.FindNodeByName("east"), -1);
}

TEST_F(ObjectsFileTest, ALinkBeyondTenWhileMakingLinksTwoWayIsSkipped)
{
    ObjectsFile file;
    std::vector<LinkedEntry> entries;
    std::vector<uint32_t> hub { 0 };
    for (uint32_t i = 1; i <= 10; ++i)
        hub.push_back(i);
    entries.push_back(LinkedEntry { PlacedObject::At("RD_ROAD", 0, 0, 0), hub });
    for (uint32_t i = 1; i <= 10; ++i)
        entries.push_back(LinkedEntry { PlacedObject::At("RD_ROAD", 0, 0, 0), { i } });
    entries.push_back(LinkedEntry { PlacedObject::At("RD_ROAD", 0, 0, 0), { 11, 0 } });
    file.blocks.push_back(Linked(8, entries));
    Load(file);
    EXPECT_EQ(g_RoadManager.GetNode(0)->linkCount, 10);
    EXPECT_EQ(g_RoadManager.GetNode(11)->linkCount, 1);
    EXPECT_EQ(LogCount("CRoadManager::LoadObjects road link 0->11 skipped"), 1);
}

TEST_F(ObjectsFileTest, AnEntryWithElevenLinksFailsTheLoad)
{
    ObjectsFile file;
    std::vector<uint32_t> words { 0 };
    for (uint32_t i = 1; i <= 11; ++i)
        words.push_back(0);
    file.blocks.push_back(Linked(8, { LinkedEntry { PlacedObject::At("RD_ROAD", 0, 0, 0), words } }));
    EXPECT_THROW(Load(file), XRangeError);
    EXPECT_EQ(LogCount("bad road link count 11"), 1);
}

TEST_F(ObjectsFileTest, BoundaryLinksWithinTwoThousandAreKeptAndIdsRaiseTheCounter)
{
    auto post = [](float x, std::vector<uint32_t> words, const char* id = "BD_POST") {
        return LinkedEntry { PlacedObject::At(id, x, 0, 0), std::move(words) };
    };
    ObjectsFile file;
    file.blocks.push_back(Block(3, { PlacedObject::At("ST_ROCK", 0, 0, 0) })); // object id 0
    file.blocks.push_back(Linked(23,
        { post(0.0f, { 100, 101, 102, 1 }), post(2000.0f, { 101, 100 }), post(-2000.5f, { 102, 100 }),
            post(0.0f, { 500 }, "BD_UNKNOWN") }));
    file.blocks.push_back(Block(3, { PlacedObject::At("ST_PEBBLE", 0, 0, 0, "after") }));
    Load(file);
    XDynamicArray<CZJObject*> posts;
    ObjectList.GetObjectList(23, posts);
    ASSERT_EQ(posts.Count(), 3);
    auto* first = static_cast<CBoundObject*>(ObjectList.FindObjectById(100));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->linkCount, 1); // 101 kept; 102 too far; 1 names no object
    EXPECT_EQ(first->links[0], ObjectList.FindObjectById(101));
    EXPECT_EQ(first->links[1], nullptr);
    EXPECT_EQ(first->segmentCount, 1);
    EXPECT_EQ(static_cast<CBoundObject*>(ObjectList.FindObjectById(102))->linkCount, 0);
    EXPECT_EQ(LogCount("CBoundaryManager::LoadObjects ID='BD_UNKNOWN' not found"), 1);
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("AFTER"), 3)->id, 0);
    EXPECT_EQ(ObjectList.lastObjectId, 102);
}

TEST_F(ObjectsFileTest, MissingFilesFailTheLoad)
{
    EXPECT_THROW(ZJEngine.Load("Data\\none.zjp"), XRangeError);
    EXPECT_EQ(LogCount("CZJEngine::Load objects file not found"), 1);
    EXPECT_NE(std::string(CallTraceText()).find("CZJEngine::Load"), std::string::npos);
    ResetCallTrace();
    WriteObjects("Data/nomap.zjo", ObjectsFile {});
    EXPECT_THROW(ZJEngine.Load("Data\\nomap.zjp"), XRangeError);
    EXPECT_EQ(LogCount("CZJEngine::Load map file not found"), 1);
}

// A file with something in every section, cut at every boundary and inside every record.
TEST_F(ObjectsFileTest, ATruncatedFileFailsCleanlyWhereverItIsCut)
{
    ObjectsFile file;
    file.blocks.push_back(Block(3, { PlacedObject::At("ST_ROCK", 0, 0, 0) }));
    file.blocks.push_back(Linked(8, { LinkedEntry { PlacedObject::At("RD_ROAD", 0, 0, 0), { 1 } } }));
    file.blocks.push_back(Linked(23, { LinkedEntry { PlacedObject::At("BD_POST", 0, 0, 0), { 7 } } }));
    GroupEntry group;
    group.name = "G";
    group.kind = 2;
    group.hunterValues = { 5 };
    group.members = { "CFG" };
    file.groups.groups.push_back(group);
    file.trade.entries.push_back(TradeEntry { "BLD", { {} } });
    file.music.battle = { "B" };
    file.music.sounds.push_back(TimedSound {});
    ObjectsFileLayout layout;
    const Bytes whole = WriteObjectsFile(file, &layout);
    Load(file);
    ASSERT_FALSE(LogExists());

    const size_t firstGroup = layout.groups + 52;
    std::vector<size_t> cuts = { 0, 2, 4, layout.groups, layout.groups + 30, layout.groups + 100,
        firstGroup + 184 + 2, firstGroup + 184 + 6, firstGroup + 184 + 8 + 10, layout.trade, layout.trade + 6,
        layout.music, layout.music + 50, layout.end - 1 };
    for (size_t block : layout.blocks)
        for (size_t offset : { size_t(0), size_t(6), size_t(12), size_t(80), size_t(140) })
            cuts.push_back(block + offset);
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        ResetCallTrace();
        WriteBytes("Data/cut.zjo", Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        WriteFlatMap("Data/cut.zjp");
        EXPECT_THROW(ZJEngine.Load("Data\\cut.zjp"), XRangeError);
        EXPECT_NE(std::string(CallTraceText()).find("CZJEngine::Load"), std::string::npos);
    }
    EXPECT_GE(LogCount("Objects file"), int(cuts.size()) - 3);
}

// Counts that pass their limits or the bytes left fail before anything is read for them.
TEST_F(ObjectsFileTest, CountsBeyondTheirLimitsFailTheLoad)
{
    struct Case {
        const char* name;
        std::function<void(ObjectsFile&)> make;
        const char* log;
    };
    const Case cases[] = {
        { "eleven members",
            [](ObjectsFile& f) {
                GroupEntry group;
                group.name = "G";
                group.members = std::vector<std::string>(11, "C");
                f.groups.groups.push_back(group);
            },
            "bad group member count 11" },
        { "a hundred and one trade entries",
            [](ObjectsFile& f) {
                f.trade.entries.assign(101, TradeEntry { "B", {} });
            },
            "CZJTrade::Load bad entry count 101" },
        { "eleven battle tracks", [](ObjectsFile& f) { f.music.battle.assign(11, "B"); },
            "SLocMusic::Load bad battle count 11" },
        { "eleven calm tracks", [](ObjectsFile& f) { f.music.calm.assign(11, "C"); },
            "SLocMusic::Load bad calm count 11" },
        { "twenty-one timed sounds", [](ObjectsFile& f) { f.music.sounds.assign(21, TimedSound {}); },
            "SLocMusic::Load bad sound count 21" },
        { "a boundary with four links",
            [](ObjectsFile& f) {
                f.blocks.push_back(
                    Linked(23, { LinkedEntry { PlacedObject::At("BD_POST", 0, 0, 0), { 1, 2, 3, 4, 5 } } }));
            },
            "bad boundary link count 4" },
        { "a road entry of 1001 words",
            [](ObjectsFile& f) {
                f.blocks.push_back(Linked(8,
                    { LinkedEntry {
                        PlacedObject::At("RD_ROAD", 0, 0, 0), std::vector<uint32_t>(1001, 0) } }));
            },
            "bad road word count 1001" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectsFile file;
        c.make(file);
        EXPECT_THROW(Load(file), XRangeError);
        EXPECT_EQ(LogCount(c.log), 1);
    }
    // A block count or record count far beyond the file.
    Bytes bytes = WriteObjectsFile(ObjectsFile {});
    bytes[0] = 0xFF;
    bytes[3] = 0x7F;
    WriteBytes("Data/loc.zjo", bytes);
    EXPECT_THROW(ZJEngine.Load("Data\\loc.zjp"), XRangeError);
    EXPECT_EQ(LogCount("bad block count"), 1);
}

} // namespace
