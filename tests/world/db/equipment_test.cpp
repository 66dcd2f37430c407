// Equipment items: set, damage and wear, construction by name, and the player's equipment flags.
#include "tests/world/db/world_fixture.h"

#include "world/db/CEquipment.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/PlayerEquipmentFlags.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

class EquipmentTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({ { "Оборудование",
            "[EQP_PLATE]\nTYPE=3\nDAMAGE=30\nWEIGHT=4\nPOWER=2\nVALUE1=100\n[EQP_FREE]\nTYPE=6\n"
            "[EQP_ENERGY_RECYCLER]\nTYPE=6\n[EQP_ZERO_THICKENER]\nTYPE=6\n[EQP_BOOSTER]\nTYPE=6\n"
            "[EQP_BOOSTERX]\nTYPE=6\n[EQP_ANCHOR]\nTYPE=6\n" } }));
        ZJEngine.ZJInit();
    }

    static SItemRecord Named(const char* name)
    {
        SItemRecord item {};
        std::strncpy(reinterpret_cast<char*>(item.words), name, 31);
        return item;
    }
};

TEST_F(EquipmentTest, DamageFillsTheWearAndPassesTheRestOn)
{
    struct Case {
        float wear;
        float amount;
        float wearAfter;
        float left;
        uint8_t destroyed;
    };
    const Case cases[] = {
        { 25, 10, 30, 5, 1 },
        { 0, 0, 0, 0, 0 },
        { 30, 0, 30, 0, 1 },
        { 10, 5, 15, 0, 0 },
        { 10, 20, 30, 0, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wear + c.amount * 100);
        CEquipment item(Named("EQP_PLATE"));
        item.wear = c.wear;
        float amount = c.amount;
        item.Damage(&amount);
        EXPECT_FLOAT_EQ(item.wear, c.wearAfter);
        EXPECT_FLOAT_EQ(amount, c.left);
        EXPECT_EQ(item.destroyed, c.destroyed);
        EXPECT_EQ(item.hit, 1);
    }
}

TEST_F(EquipmentTest, ConstructionByNameSetAndWearRatio)
{
    CEquipment plate(Named("EQP_PLATE"));
    EXPECT_EQ(plate.index, 0);
    EXPECT_FLOAT_EQ(plate.weight, 4.0f);
    EXPECT_FLOAT_EQ(plate.Power(), 2.0f);
    EXPECT_FLOAT_EQ(plate.Maximum(), 100.0f);
    EXPECT_EQ(plate.active, 0);
    plate.wear = 15.0f;
    EXPECT_FLOAT_EQ(plate.WearRatio(), 0.5f);

    CEquipment free(Named("EQP_FREE")); // maximum wear 0
    EXPECT_FLOAT_EQ(free.WearRatio(), 0.0f);
    float amount = 3.0f;
    free.Damage(&amount);
    EXPECT_EQ(free.destroyed, 1);
    EXPECT_FLOAT_EQ(free.WearRatio(), 0.0f);

    CEquipment missing(Named("EQP_NONE"));
    EXPECT_EQ(missing.index, -1);
    EXPECT_STREQ(missing.Name(), "_DEFAULT_");
    EXPECT_EQ(LogCount("CEquipment::CEquipment Equipment 'EQP_NONE' does not exists."), 1);
    amount = 3.0f;
    missing.Damage(&amount);
    EXPECT_FLOAT_EQ(amount, 3.0f);
    EXPECT_EQ(missing.hit, 1);

    const uint32_t params[7] = { 1, 2, 3, 4, 5, 6, 7 };
    plate.Set(-1, params);
    EXPECT_EQ(plate.row, nullptr);
    EXPECT_FLOAT_EQ(plate.weight, 0.0f);
    EXPECT_EQ(plate.params[6], 7u);
    EXPECT_THROW(plate.Set(99, params), XRangeError);
    EXPECT_EQ(plate.index, -1);

    plate.Set(0, params);
    plate.active = 1;
    const CEquipment copy(plate.Image());
    EXPECT_EQ(copy.index, 0);
    EXPECT_EQ(copy.active, 1);
    EXPECT_EQ(copy.params[0], 1u);
}

TEST_F(EquipmentTest, PlayerFlagsFollowExactNamesAndTheArmour)
{
    std::vector<std::unique_ptr<CEquipment>> owned;
    for (const char* name :
        { "EQP_BOOSTERX", "EQP_ENERGY_RECYCLER", "EQP_ZERO_THICKENER", "EQP_ANCHOR", "EQP_ANCHOR" })
        owned.push_back(std::make_unique<CEquipment>(Named(name)));
    std::vector<const CEquipment*> items;
    for (const auto& item : owned)
        items.push_back(item.get());
    PlayerEquipmentFlags[kEqpSpare] = 1;
    SetPlayerEquipmentFlags(items.data(), int(items.size()), "EQP_PLATE");
    uint32_t expected[kEquipmentFlagCount] = {};
    expected[kEqpAnchor] = 1;
    EXPECT_EQ(std::memcmp(PlayerEquipmentFlags, expected, sizeof expected), 0);

    SetPlayerEquipmentFlags(items.data(), int(items.size()), "EQP_ARMOR_ZERO_2");
    expected[kEqpEnergyRecycler] = expected[kEqpZeroThickener] = 1;
    EXPECT_EQ(std::memcmp(PlayerEquipmentFlags, expected, sizeof expected), 0);
}

} // namespace
