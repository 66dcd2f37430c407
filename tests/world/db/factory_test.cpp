// The object factory: each manager's CreateObject and the network objects.
#include "tests/world/db/world_fixture.h"

#include "ai/CFerroGroup.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CMapCoverManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/db/CStoneManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/CSoundZonePoint.h"
#include "world/objects/CTheThing.h"

#include <cstring>

namespace {

class FactoryTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({
            { "Глайдеры", "[GL_LIGHT]\n[GL_HEAVY]\n" },
            { "Снаряды", "[MIS_A]\n[MIS_B]\n[MIS_C]\n" },
            { "Камни", "[ST_ROCK]\n" },
            { "Здания", "[BLD_BASE]\n" },
            { "Покрытие", "[COVER]\n" },
            { "Anomal", "[AN_FIELD]\n" },
            { "SoundZone", "[SZ_WIND]\n" },
        }));
        ZJEngine.ZJInit();
    }

    // An object network record of 35 bytes.
    static std::vector<uint8_t> Record(
        uint32_t networkId, uint32_t kind, int32_t row, float x = 1, float y = 2, float z = 3)
    {
        std::vector<uint8_t> record(35, 0);
        std::memcpy(record.data(), &networkId, 4);
        const float position[3] = { x, y, z };
        std::memcpy(record.data() + 13, position, 12);
        std::memcpy(record.data() + 25, &kind, 4);
        std::memcpy(record.data() + 29, &row, 4);
        return record;
    }
};

TEST_F(FactoryTest, NetworkGlidersGetTheirRowOrTheDefaultType)
{
    struct Case {
        int32_t row;
        const char* type;
    };
    for (const Case& c : { Case { -1, "GL_LIGHT" }, Case { 1, "GL_HEAVY" } }) {
        SCOPED_TRACE(c.row);
        const auto record = Record(0x00500007u + uint32_t(c.row + 1), 14, c.row);
        auto* glider = dynamic_cast<CGliderObject*>(ZJEngine.CreateNetObject(record.data()));
        ASSERT_NE(glider, nullptr);
        EXPECT_STREQ(glider->TypeName(), c.type);
        EXPECT_EQ(glider->networkId, 0x00500007u + uint32_t(c.row + 1));
        EXPECT_EQ(glider->remote, 1);
        EXPECT_EQ(glider->owned, 0);
        EXPECT_EQ(glider->alive, 1);
        EXPECT_FLOAT_EQ(glider->frame.position.y, 2.0f);
        EXPECT_FLOAT_EQ(glider->frame.matrix.m[0], 1.0f);
        EXPECT_EQ(ObjectList.FindNetObject(glider->networkId), glider);
        ASSERT_NE(glider->ferrovant, nullptr);
        EXPECT_EQ(glider->ferrovant->glider, glider);
        ASSERT_NE(glider->ferrovant->group, nullptr);
        EXPECT_EQ(glider->ferrovant->group->attachedToPlayer, 1);
        EXPECT_EQ(glider->ferrovant->group->assembled, 1);
        // A freshly built record: no configuration applied.
        EXPECT_EQ(glider->ferrovant->configIndex, -1);
        EXPECT_FLOAT_EQ(glider->ferrovant->rating, 0.05f);
        EXPECT_EQ(glider->ferrovant->MountedCount(), 0);
    }
    const auto bad = Record(1, 14, 2);
    EXPECT_THROW(ZJEngine.CreateNetObject(bad.data()), XRangeError);
    EXPECT_NE(
        std::string(CallTraceText()).find("CGliderManager::CreateNetObject->CZJEngine::CreateNetObject"),
        std::string::npos);
}

TEST_F(FactoryTest, NetworkMissilesNeedARowAndThingsAreKind257)
{
    const auto none = Record(9, 16, -1);
    EXPECT_EQ(ZJEngine.CreateNetObject(none.data()), nullptr);
    EXPECT_TRUE(ObjectList.Objects().IsEmpty());

    const auto missileRecord = Record(10, 16, 2);
    auto* missile = dynamic_cast<CMissileObject*>(ZJEngine.CreateNetObject(missileRecord.data()));
    ASSERT_NE(missile, nullptr);
    EXPECT_EQ(missile->typeIndex, 2);
    EXPECT_EQ(missile->remote, 1);
    EXPECT_EQ(ObjectList.FindNetObject(10), missile);

    const auto thingRecord = Record(11, 21, -1, 7, 8, 9);
    auto* thing = dynamic_cast<CTheThing*>(ZJEngine.CreateNetObject(thingRecord.data()));
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(thing->kind, 257);
    EXPECT_FLOAT_EQ(thing->frame.position.z, 9.0f);
    EXPECT_EQ(ObjectList.FindNetObject(11), thing);

    for (uint32_t kind : { 3u, 15u, 22u, 99u }) {
        const auto other = Record(12, kind, 0);
        EXPECT_EQ(ZJEngine.CreateNetObject(other.data()), nullptr) << kind;
    }
    EXPECT_EQ(ObjectList.Objects().Count(), 2);
}

TEST_F(FactoryTest, CreateObjectCopiesThePropertyTextWhereTheKindKeepsIt)
{
    const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 5, 6, 1 };
    CZJObject* stone = g_StoneManager.CreateObject(MakeNameKey32("ST_ROCK"), placement, "NAMED");
    CZJObject* cover = g_MapCoverManager.CreateObject(MakeNameKey32("COVER"), placement, "NAMED");
    CZJObject* building = g_BuildingManager.CreateObject(MakeNameKey32("BLD_BASE"), placement, "DEPOT");
    CZJObject* anomaly = g_AnomalZoneManager.CreateObject(MakeNameKey32("AN_FIELD"), placement, "FIELD");
    CZJObject* plain = g_StoneManager.CreateObject(MakeNameKey32("ST_ROCK"), placement, nullptr);
    EXPECT_STREQ(stone->name, "NAMED");
    EXPECT_STREQ(cover->name, "");
    EXPECT_STREQ(building->name, "DEPOT");
    EXPECT_STREQ(anomaly->name, "FIELD");
    EXPECT_STREQ(plain->name, "");
    EXPECT_EQ(ObjectList.FindObjectById(uint32_t(stone->id)), stone) << "in the object list at its placement";
    EXPECT_FLOAT_EQ(stone->frame.position.x, 4.0f);
    EXPECT_FLOAT_EQ(stone->frame.position.y, 5.0f);
    EXPECT_FLOAT_EQ(stone->frame.position.z, 6.0f);
    EXPECT_EQ(building->type, 11);
    EXPECT_EQ(ObjectList.Objects().Count(), 5);

    EXPECT_EQ(g_SoundZoneManager.CreateObject(MakeNameKey32("SZ_WIND"), placement, "WIND"), nullptr);
    ASSERT_EQ(ObjectList.HelperPoints().Count(), 1);
    auto* zone = dynamic_cast<CSoundZonePoint*>(ObjectList.HelperPoints().Head());
    ASSERT_NE(zone, nullptr);
    EXPECT_STREQ(zone->typeName, "SZ_WIND");
    EXPECT_STREQ(zone->name, "WIND");
    EXPECT_EQ(ObjectList.Objects().Count(), 5);
}

} // namespace
