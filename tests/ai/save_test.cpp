// The machine record's full and short save forms and its wire form, with their refusals.
#include "tests/ai/machine_fixture.h"

#include "foundation/ByteOrder.h"
#include "foundation/XMemBuffer.h"
#include "tests/support/le_bytes.h"
#include "world/db/CEquipmentManager.h"

#include <vector>

namespace {

using zoq::test::PutU32;
using zoq::test::U32At;
using zoq::test::ValueAt;

class SaveTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        LoadTables(FullRow("CFG_A", "EQP_BOOSTER=1\nEQP_MOBILIZER=1\nROCKET2=MIS_ROCKET\nNUMROCKET2=7\n"));
        ASSERT_EQ(LogCount(""), 0);
    }

    // A machine of CFG_A with worn parts, levels, cargo and money.
    static void Fill(CFerrovant& m)
    {
        m.ApplyConfig(0, false, 0);
        std::strcpy(m.name, "MACHINE");
        float hit = 10.0f;
        m.engine.Damage(&hit);
        hit = 1000.0f;
        m.reactor.Damage(&hit);
        m.Mounted(1).wear = 4.0f;
        m.rating = 600.0f;
        m.respawnTime = 12.0f;
        m.inBuilding = 1;
        m.shieldLevel = 40.0f;
        m.armourLevel = 50.0f;
        m.energy = 60.0f;
        m.cargo.AddGoods("TOV_A", 3, 2.5f, CargoItem::kGoods);
        m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
        m.cargo.AddGoods("", 1234, 0.0f, CargoItem::kBulk);
    }

    static Bytes Save(CFerrovant& m, bool full)
    {
        XMemBuffer stream;
        m.SaveGame(stream, full);
        return Bytes(stream.Data(), stream.Data() + stream.Position());
    }

    static Bytes Wire(CFerrovant& m)
    {
        XMemBuffer stream;
        m.PutNetBuffer(stream);
        return Bytes(stream.Data(), stream.Data() + stream.Position());
    }

    static void Load(CFerrovant& m, Bytes bytes, bool full)
    {
        XMemBuffer stream;
        stream.Attach(bytes.data(), int(bytes.size()));
        m.LoadGame(stream, full);
        EXPECT_EQ(stream.Position(), int(bytes.size()));
    }

    static void ExpectSameState(const CFerrovant& a, const CFerrovant& b)
    {
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_FLOAT_EQ(a.Parts()[i]->wear, b.Parts()[i]->wear);
            EXPECT_EQ(a.Parts()[i]->index, b.Parts()[i]->index);
        }
        EXPECT_FLOAT_EQ(a.rating, b.rating);
        EXPECT_EQ(a.dead, b.dead);
        EXPECT_EQ(a.inBuilding, b.inBuilding);
        EXPECT_FLOAT_EQ(a.shieldLevel, b.shieldLevel);
        EXPECT_FLOAT_EQ(a.armourLevel, b.armourLevel);
        EXPECT_FLOAT_EQ(a.energy, b.energy);
        ASSERT_EQ(a.ammoCount, b.ammoCount);
        for (int i = 0; i < a.ammoCount; ++i) {
            EXPECT_EQ(a.ammo[i].index, b.ammo[i].index);
            EXPECT_EQ(a.ammo[i].count, b.ammo[i].count);
        }
    }
};

TEST_F(SaveTest, FullFormRoundTrips)
{
    CFerrovant m;
    Fill(m);
    const FerrovantConfig before = m.config;
    const Bytes bytes = Save(m, true);
    EXPECT_EQ(std::memcmp(&before, &m.config, sizeof before), 0); // the writer leaves indices in place
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 260), "EQP_REACTOR");
    EXPECT_EQ(U32At(bytes, 1656), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 1656 + 4 + 4), "EQP_BOOSTER");

    CFerrovant back;
    Load(back, bytes, true);
    ExpectSameState(m, back);
    EXPECT_EQ(back.level, 4);
    EXPECT_FLOAT_EQ(back.respawnTime, 12.0f);
    ASSERT_EQ(back.MountedCount(), 2);
    EXPECT_STREQ(back.Mounted(1).Name(), "EQP_MOBILIZER");
    EXPECT_FLOAT_EQ(back.Mounted(1).wear, 0.0f); // mounted items start unworn
    EXPECT_EQ(back.engine.hit, 1);
    EXPECT_EQ(back.engine.destroyed, 0);
    EXPECT_EQ(back.reactor.destroyed, 1);
    EXPECT_EQ(back.shield.hit, 0); // wear 0 reads back not hit
    EXPECT_FLOAT_EQ(back.cargo.bulkAmount, 1234.0f);
    ASSERT_EQ(back.cargo.items.Count(), 2);
    EXPECT_STREQ(back.cargo.items.At(1).name, "CAPTIVE");
    EXPECT_FLOAT_EQ(back.cargo.items.At(0).price, 2.5f);
    m.Mounted(1).wear = 0.0f;
    EXPECT_EQ(Save(back, true), Save(m, true));
}

TEST_F(SaveTest, AMachineWithoutItemsWritesNone)
{
    CFerrovant m;
    m.config = FerrovantConfigList.Get(0);
    m.config.itemCount = 0;
    m.ApplyConfig(-1, false, 0);
    const Bytes bytes = Save(m, true);
    EXPECT_EQ(U32At(bytes, 1656), 0u);
    CFerrovant back;
    Fill(back);
    Load(back, bytes, true);
    EXPECT_EQ(back.MountedCount(), 0);
    EXPECT_EQ(back.cargo.items.Count(), 0);
}

TEST_F(SaveTest, ThePlayerReadsBackAtLevelOneAtLeast)
{
    CFerrovant m;
    Fill(m);
    m.rating = 0.0f;
    const Bytes bytes = Save(m, true);
    CFerrovant player;
    PlayerFerrovant = &player;
    Load(player, bytes, true);
    EXPECT_EQ(player.level, 1);
}

TEST_F(SaveTest, ShortFormCarriesWearStateAndCargo)
{
    CFerrovant m;
    Fill(m);
    const Bytes bytes = Save(m, false);
    EXPECT_EQ(bytes.size(), 2 * 4 + 5 * 4 + 4 + 4 + 2 + 12 + 4 + 2 * 44u);
    CFerrovant back;
    back.ApplyConfig(0, false, 0);
    Load(back, bytes, false);
    ExpectSameState(m, back);
    EXPECT_FLOAT_EQ(back.Mounted(1).wear, 4.0f);
    EXPECT_FLOAT_EQ(back.cargo.bulkAmount, 0.0f); // the short form has no bulk amount
}

TEST_F(SaveTest, CargoOfUnknownKindIsLoggedAndDropped)
{
    CFerrovant m;
    Fill(m);
    Bytes bytes = Save(m, false);
    const size_t firstItem = bytes.size() - 2 * 44;
    PutU32(bytes, firstItem, 3);
    CFerrovant back;
    back.ApplyConfig(0, false, 0);
    Load(back, bytes, false);
    ASSERT_EQ(back.cargo.items.Count(), 1);
    EXPECT_STREQ(back.cargo.items.At(0).name, "CAPTIVE");
    EXPECT_EQ(LogCount("CFerrovants::LoadGame error TYPE: 3 ID=TOV_A NUM=3"), 1);
}

TEST_F(SaveTest, BadRecordsAreRefusedWithTheMachineUnchanged)
{
    CFerrovant m;
    Fill(m);
    const Bytes good = Save(m, true);
    const size_t stockCount = 1656 + 4 + 2 * 56;
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    for (size_t cut : { size_t(0), size_t(100), stockCount, good.size() - 1 })
        cases.push_back({ "truncated", Bytes(good.begin(), good.begin() + std::ptrdiff_t(cut)) });
    Bytes items21 = good;
    PutU32(items21, 1656, 21);
    items21.resize(items21.size() + 19 * 56);
    cases.push_back({ "21 items", items21 });
    Bytes stocks11 = good;
    PutU32(stocks11, stockCount, 11);
    stocks11.resize(stocks11.size() + 9 * 36);
    cases.push_back({ "11 stocks", stocks11 });
    Bytes cargo = good;
    PutU32(cargo, good.size() - 2 * 44 - 4, 3);
    cases.push_back({ "cargo count", cargo });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFerrovant target;
        Fill(target);
        const Bytes before = Save(target, true);
        Bytes bytes = c.bytes;
        XMemBuffer stream;
        stream.Attach(bytes.data(), int(bytes.size()));
        const int logged = LogCount("");
        EXPECT_THROW(target.LoadGame(stream, true), XRangeError);
        EXPECT_EQ(stream.Position(), 0);
        EXPECT_EQ(LogCount(""), logged + 1);
        EXPECT_EQ(Save(target, true), before);
        ResetCallTrace();
    }
}

TEST_F(SaveTest, WireFormLaysOutItsFieldsAndRoundTrips)
{
    CFerrovant m;
    Fill(m);
    const Bytes bytes = Wire(m);
    ASSERT_EQ(bytes.size(), 1730u + 36u * 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data()), "MACHINE");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 32 + 132), "GL_A");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 32 + 196), "GUN_H");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 32 + 388), "MIS_BOMB");
    EXPECT_EQ(U32At(bytes, 1688), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 1692), "MIS_BOMB");
    EXPECT_EQ(ValueAt<int32_t>(bytes, 1692 + 32), 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 1692 + 36), "MIS_ROCKET");
    const size_t tail = 1692 + 72;
    EXPECT_FLOAT_EQ(ValueAt<float>(bytes, tail), 50.0f); // reactor at its maximum wear
    EXPECT_FLOAT_EQ(ValueAt<float>(bytes, tail + 4), 10.0f);
    EXPECT_FLOAT_EQ(ValueAt<float>(bytes, tail + 20), 600.0f);
    EXPECT_EQ(bytes[tail + 24], 0);
    EXPECT_EQ(bytes[tail + 25], 1);
    EXPECT_FLOAT_EQ(ValueAt<float>(bytes, tail + 26), 40.0f);
    EXPECT_FLOAT_EQ(ValueAt<float>(bytes, tail + 34), 60.0f);

    CFerrovant back;
    Bytes longer = bytes;
    longer.resize(bytes.size() + 10);
    EXPECT_EQ(back.GetNetBuffer(longer.data(), int(longer.size())), int(bytes.size()));
    ExpectSameState(m, back);
    EXPECT_STREQ(back.name, "MACHINE");
    EXPECT_EQ(back.reactor.destroyed, 1);
    EXPECT_EQ(back.engine.hit, 1);
    EXPECT_EQ(back.shield.hit, 0);
    EXPECT_EQ(Wire(back), bytes);
}

TEST_F(SaveTest, WireReaderRefusesShortRecordsAndTooManyStocks)
{
    CFerrovant m;
    Fill(m);
    Bytes bytes = Wire(m);
    CFerrovant target;
    Fill(target);
    const Bytes before = Wire(target);
    EXPECT_EQ(target.GetNetBuffer(bytes.data(), int(bytes.size()) - 1), -1);
    EXPECT_EQ(target.GetNetBuffer(bytes.data(), 0), -1);
    PutU32(bytes, 1688, 11);
    bytes.resize(1730 + 36 * 11);
    EXPECT_EQ(target.GetNetBuffer(bytes.data(), int(bytes.size())), -1);
    EXPECT_EQ(LogCount("CFerrovant::GetNetBuffer"), 3);
    EXPECT_EQ(Wire(target), before);
}

TEST_F(SaveTest, StoredNamesEndInsideTheirFields)
{
    CFerrovant m;
    Fill(m);
    Bytes bytes = Wire(m);
    std::memset(bytes.data(), 'X', 32); // name
    std::memset(bytes.data() + 32, 'Y', 128); // configuration name
    std::memset(bytes.data() + 32 + 388, 'Z', 32); // bomb item
    CFerrovant back;
    ASSERT_GT(back.GetNetBuffer(bytes.data(), int(bytes.size())), 0);
    EXPECT_EQ(std::string(back.name), std::string(31, 'X'));
    EXPECT_EQ(std::string(back.config.name), std::string(127, 'Y'));
    EXPECT_EQ(std::string(ItemName(back.config.bomb1)), std::string(31, 'Z'));
}

} // namespace
