// The machine record: applying a configuration, damage, the per-frame step, weights, flags and
// delivering captured machines.
#include "tests/ai/machine_fixture.h"

#include "ai/CFerroGroup.h"
#include "foundation/Rating.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CZJAppEvent.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

class FerrovantTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        std::string all;
        for (const char* field : CFerrovantConfigList::kEquipmentFields)
            all += std::string(field) + "=1\n";
        LoadTables(FullRow("CFG_A") + FullRow("CFG_ALL", all)
            + "[CFG_BARE]\nNAME=CFG_BARE\nRATING=1\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_ENGINE\n"
              "[CFG_AMMO]\nNAME=CFG_AMMO\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_ENGINE\n"
              "BOMB1=MIS_BOMB\nNUMBOMB1=4\nBOMB2=MIS_NONE\nNUMBOMB2=3\nROCKET1=MIS_ROCKET\nNUMROCKET1=0\n"
              "ROCKET2=MIS_ROCKET\nNUMROCKET2=2\n"
              "[CFG_ZERO]\nNAME=CFG_ZERO\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_ENGINE\n"
              "SHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR_ZERO\nEQP_ENERGY_RECYCLER=1\nEQP_ZERO_THICKENER=1\n");
        ASSERT_EQ(LogCount(""), 0);
    }

    int Config(const char* key) { return FerrovantConfigList.Find(key); }
};

class RatingSink : public CZJAppEvent {
public:
    void OnAddRating(float reward, int flag) override { calls.push_back({ reward, flag }); }
    void OnGroupMessage(const char*, CFerroGroup*) override { }
    std::vector<std::pair<float, int>> calls;
};

TEST_F(FerrovantTest, ApplyConfigSetsLevelsPartsAndRefills)
{
    CFerrovant m;
    m.ApplyConfig(Config("CFG_A"), false, 0);
    EXPECT_EQ(m.level, 3);
    EXPECT_EQ(m.levelCap, 3);
    EXPECT_FLOAT_EQ(m.rating, 350.0f);
    EXPECT_EQ(m.config.rating, 3);
    EXPECT_EQ(m.configIndex, Config("CFG_A"));
    EXPECT_EQ(m.reactor.index, g_EquipmentManager.FindRow("EQP_REACTOR"));
    EXPECT_EQ(m.hull.index, 0);
    EXPECT_FLOAT_EQ(m.shieldLevel, 100.0f);
    EXPECT_FLOAT_EQ(m.armourLevel, 200.0f);
    EXPECT_FLOAT_EQ(m.energy, 300.0f);
    ASSERT_EQ(m.ammoCount, 1);
    EXPECT_EQ(m.ammo[0].index, 0);
    EXPECT_EQ(m.ammo[0].count, 4);

    struct Case {
        int bonus;
        int level;
        float rating;
    };
    for (const Case& c : { Case { 9, 10, (RatingThresholds[9] + RatingThresholds[10]) * 0.5f },
             Case { -5, 0, 0.0f }, Case { -2, 1, 25.0f } }) {
        SCOPED_TRACE(c.bonus);
        m.ApplyConfig(Config("CFG_A"), true, c.bonus);
        EXPECT_EQ(m.level, c.level);
        EXPECT_EQ(m.levelCap, c.level);
        EXPECT_FLOAT_EQ(m.rating, c.rating);
    }
}

TEST_F(FerrovantTest, ThePlayersRatingIsKeptUnlessAsked)
{
    CFerrovant m;
    PlayerFerrovant = &m;
    m.rating = 700.0f;
    m.level = 4;
    m.ApplyConfig(Config("CFG_A"), false, 0);
    EXPECT_FLOAT_EQ(m.rating, 700.0f);
    EXPECT_EQ(m.level, 4);
    m.ApplyConfig(Config("CFG_A"), true, 0);
    EXPECT_FLOAT_EQ(m.rating, 350.0f);
}

TEST_F(FerrovantTest, ApplyConfigMountsImagesAndSkipsEmptyOrUnknownAmmunition)
{
    CFerrovant m;
    m.ApplyConfig(Config("CFG_ALL"), false, 0);
    ASSERT_EQ(m.MountedCount(), 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_STREQ(m.Mounted(i).Name(), CFerrovantConfigList::kEquipmentFields[i]);

    m.ApplyConfig(Config("CFG_AMMO"), false, 0);
    EXPECT_EQ(m.MountedCount(), 0);
    ASSERT_EQ(m.ammoCount, 2);
    EXPECT_EQ(m.ammo[0].count, 4);
    EXPECT_EQ(m.ammo[1].index, g_MissileManager.GetRowNames().Find("MIS_ROCKET"));
    EXPECT_EQ(m.ammo[1].count, 2);

    // -1 keeps the configuration, its items and stocks, and only refills the parts.
    m.energy = 0.0f;
    m.ApplyConfig(-1, false, 0);
    EXPECT_EQ(m.ammoCount, 2);
    EXPECT_FLOAT_EQ(m.energy, 300.0f);
    EXPECT_THROW(m.ApplyConfig(99, false, 0), XRangeError);
}

TEST_F(FerrovantTest, ZeroMaximaGiveZeroLevels)
{
    CFerrovant m;
    EXPECT_FLOAT_EQ(m.GetShieldLevel(0), 0.0f);
    EXPECT_FLOAT_EQ(m.GetEnergyLevel(2), 0.0f);
    m.config = FerrovantConfigList.Get(Config("CFG_BARE"));
    m.config.shield.words[0] = uint32_t(g_EquipmentManager.FindRow("EQP_EMPTY_SHIELD"));
    m.ApplyConfig(-1, false, 0);
    EXPECT_FLOAT_EQ(m.GetShieldLevel(0), 0.0f);
    EXPECT_FLOAT_EQ(m.GetShieldLevel(2), 0.0f);
    EXPECT_FLOAT_EQ(m.GetArmorLevel(0), 0.0f);
    EXPECT_FLOAT_EQ(m.GetEnergyLevel(0), 1.0f);
    EXPECT_FLOAT_EQ(m.GetEnergyLevel(2), 300.0f);
}

struct DamageCase {
    const char* name;
    const char* config;
    float amount;
    bool wholeShield;
    float shieldLevel;
    float outHull, outArmour, outShield;
    float shieldAfter, armourAfter;
};

TEST_F(FerrovantTest, DamageGoesThroughShieldArmourAndHull)
{
    const DamageCase cases[] = {
        { "within the shield limit", "CFG_A", 20, false, 100, 0, 0, 20, 80, 200 },
        { "past the shield limit", "CFG_A", 50, false, 100, 0, 20, 30, 70, 180 },
        { "whole shield", "CFG_A", 50, true, 100, 0, 0, 50, 50, 200 },
        { "shield runs out", "CFG_A", 50, true, 10, 0, 40, 10, 0, 160 },
        { "remainder below 0.1", "CFG_A", 30.05f, false, 100, 0, 0, 30, 70, 200 },
        { "no shield, no armour", "CFG_BARE", 50, false, 0, 50, 0, 0, 0, 0 },
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFerrovant m;
        m.ApplyConfig(Config(c.config), false, 0);
        m.shieldLevel = c.shieldLevel;
        float hull = -1, armour = -1, shield = -1;
        m.Damage(c.amount, c.wholeShield, &hull, &armour, &shield);
        EXPECT_NEAR(hull, c.outHull, 1e-4);
        EXPECT_NEAR(armour, c.outArmour, 1e-4);
        EXPECT_NEAR(shield, c.outShield, 1e-4);
        EXPECT_NEAR(m.shieldLevel, c.shieldAfter, 1e-4);
        EXPECT_NEAR(m.armourLevel, c.armourAfter, 1e-4);
        EXPECT_NEAR(m.hull.wear, c.outHull, 1e-4);
    }
}

TEST_F(FerrovantTest, AWornHullSharesHitsWithTheParts)
{
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        CFerrovant m;
        m.ApplyConfig(Config("CFG_ALL"), false, 0);
        m.shieldLevel = 0;
        m.armourLevel = 0;
        m.hull.wear = 30.0f; // 30 %
        SeedRand(seed);
        const int r = Rand() % (16 + 700);
        SeedRand(seed);
        float hull, armour, shield;
        m.Damage(5.0f, false, &hull, &armour, &shield);
        if (r < 500) {
            EXPECT_FLOAT_EQ(m.hull.wear, 35.0f);
            EXPECT_FLOAT_EQ(hull, 5.0f);
        } else if (r < 600) {
            EXPECT_FLOAT_EQ(m.reactor.wear, 5.0f);
        } else if (r < 700) {
            EXPECT_FLOAT_EQ(m.engine.wear, 5.0f);
        } else {
            EXPECT_FLOAT_EQ(m.Mounted(r - 700).wear, 5.0f);
        }
    }
}

TEST_F(FerrovantTest, ThePlayersArmourRulesAndIndicators)
{
    CFerrovant m;
    PlayerFerrovant = &m;
    m.ApplyConfig(Config("CFG_ZERO"), true, 0);
    m.UpdateEquipment();
    EXPECT_EQ(PlayerEquipmentFlags[kEqpEnergyRecycler], 1u);
    EXPECT_EQ(PlayerEquipmentFlags[kEqpZeroThickener], 1u);
    PlayerEquipmentFlags[kEqpDisperseShield] = 1;
    m.energy = 100.0f;
    m.shieldLevel = 0.0f;
    float hull, armour, shield;
    m.Damage(50.0f, false, &hull, &armour, &shield);
    float a = 50.0f / 700.0f * 200.0f; // disperse
    const float energy = 100.0f + 2.0f * a;
    a *= 0.75f; // recycler
    const float shieldGain = a * 0.25f;
    a *= 0.75f; // zero thickener
    EXPECT_NEAR(m.energy, energy, 1e-3);
    EXPECT_NEAR(m.shieldLevel, shieldGain, 1e-3);
    EXPECT_NEAR(m.armourLevel, 200.0f - a, 1e-3);
    EXPECT_NEAR(armour, a, 1e-3);
    EXPECT_NEAR(ArmourHits, a, 1e-3);
    EXPECT_FLOAT_EQ(ShieldHits, 0.0f);
    EXPECT_FLOAT_EQ(HullHits, 0.0f);
}

TEST_F(FerrovantTest, RunDecaysThePlayersIndicators)
{
    CFerrovant m;
    PlayerFerrovant = &m;
    m.inBuilding = 1;
    ShieldHits = 100.0f;
    ArmourHits = 0.1f;
    HullHits = -3.0f;
    m.Run(0.5f);
    EXPECT_NEAR(ShieldHits, 100.0f / std::pow((100.0f * 1e-10f + 1.0f) * 40.0f, 0.5f), 1e-3);
    EXPECT_FLOAT_EQ(ArmourHits, 0.0f);
    EXPECT_FLOAT_EQ(HullHits, -3.0f);
    EXPECT_EQ(m.inBuilding, 0);
}

TEST_F(FerrovantTest, RunRespawnsAndRaisesRating)
{
    CFerrovant dead;
    dead.ApplyConfig(Config("CFG_A"), false, 0);
    dead.dead = 1;
    dead.shieldLevel = 0;
    dead.respawnTime = 0.05f;
    dead.Run(0.1f);
    EXPECT_EQ(dead.dead, 0);
    EXPECT_FLOAT_EQ(dead.shieldLevel, 100.0f);
    dead.dead = 1;
    dead.respawnTime = CFerrovant::kNeverRespawn;
    dead.Run(100.0f);
    EXPECT_EQ(dead.dead, 1);
    EXPECT_FLOAT_EQ(dead.respawnTime, CFerrovant::kNeverRespawn);

    CFerrovant novice;
    novice.rating = 0.0f;
    novice.Run(10.0f);
    EXPECT_FLOAT_EQ(novice.rating, 0.0f);

    CFerrovant veteran;
    veteran.ApplyConfig(Config("CFG_A"), false, 0); // level 3, cap 3
    veteran.Run(10.0f);
    EXPECT_FLOAT_EQ(veteran.rating, 350.0f + 9.0f * 10.0f * 0.001f);
    veteran.rating = 499.99f;
    veteran.Run(10.0f);
    EXPECT_EQ(veteran.level, 4);
    veteran.rating = 1499.99f;
    veteran.Run(10.0f);
    EXPECT_EQ(veteran.level, 4); // at most one level above the cap

    CFerrovant top;
    top.ApplyConfig(Config("CFG_A"), false, 7);
    top.rating = 2e7f;
    top.Run(1.0f);
    EXPECT_EQ(top.level, 10);
}

TEST_F(FerrovantTest, RunBalancesEnergyWithinTheReactorsRange)
{
    CGliderObject glider;
    CFerrovant m;
    PlayerFerrovant = &m;
    m.glider = &glider;
    m.ApplyConfig(Config("CFG_ALL"), true, 0);
    m.UpdateEquipment();
    PlayerControl.BoostOn = 1;
    FrameTime = 1.0f;
    m.Run(1.0f);
    EXPECT_FLOAT_EQ(m.energy, 300.0f); // full stays full, booster or not
    m.energy = 100.0f;
    m.shieldLevel = 100.0f;
    m.Run(1.0f);
    // shield 1, armour 0.5, reactor 10 x 1.5 x 1.2, shield again 1
    EXPECT_NEAR(m.energy, 100.0f - 1.0f - 0.5f + 18.0f - 1.0f, 1e-3);
    m.boostTime = 119.5f;
    m.Run(1.0f);
    EXPECT_FLOAT_EQ(m.reactor.wear, 10.0f);
    PlayerControl.BoostOn = 0;
    m.Run(1.0f);
    EXPECT_FLOAT_EQ(m.boostTime, 120.5f - 0.5f);

    // A moving glider pays for its engine; active items by the glider class (STANDARD 3: 2.5).
    CFerrovant other;
    other.glider = &glider;
    other.ApplyConfig(Config("CFG_ALL"), false, 0);
    other.energy = 100.0f;
    other.shieldLevel = 100.0f;
    glider.thrust = -1.0f;
    glider.throttle = 0.5f;
    other.Mounted(0).active = 1;
    other.Run(1.0f);
    const float step = -1.0f - 0.5f + 10.0f - 1.0f - 0.25f * 2.0f * 1.5f - 2.5f;
    EXPECT_NEAR(other.energy, 100.0f + step, 1e-3);
    other.energy = 0.0f;
    other.Run(1.0f);
    EXPECT_NEAR(other.energy, step, 1e-3);
    for (int i = 0; i < 16; ++i)
        other.Mounted(i).active = 1;
    other.energy = 0.0f;
    other.Run(1.0f);
    EXPECT_FLOAT_EQ(other.energy, 0.0f);
}

TEST_F(FerrovantTest, StateQueriesAndWeights)
{
    CFerrovant m;
    m.ApplyConfig(Config("CFG_A"), false, 0);
    EXPECT_FALSE(m.IsCritical());
    m.armourLevel = 180.0f;
    EXPECT_TRUE(m.IsCritical());
    m.armourLevel = 200.0f;
    float hit = 26.0f;
    m.engine.Damage(&hit);
    EXPECT_TRUE(m.IsCritical());
    EXPECT_TRUE(m.IsBadlyDamaged());
    EXPECT_FALSE(m.IsEffectActive());
    hit = 100.0f;
    m.hull.Damage(&hit);
    EXPECT_TRUE(m.IsEffectActive());
    m.Restore();
    EXPECT_FALSE(m.IsCritical());
    EXPECT_FALSE(m.IsEffectActive());
    EXPECT_EQ(m.FindItem(uint32_t(g_EquipmentManager.FindRow("EQP_SHIELD"))), &m.shield);
    EXPECT_EQ(m.FindItem(9999), nullptr);

    // parts 5 + 6 + 7 + 8, four bombs of 2
    EXPECT_FLOAT_EQ(m.GetTotalWeight(), 26.0f + 8.0f);
    m.cargo.AddGoods("TOV_A", 3, 1.0f, CargoItem::kGoods);
    m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    m.cargo.AddGoods("", 500, 0.0f, CargoItem::kBulk);
    EXPECT_FLOAT_EQ(m.GetGoodsWeight(), 6.0f + 10.0f);
    EXPECT_FLOAT_EQ(m.GetSumWeight(), 40.0f + 34.0f + 16.0f);
    EXPECT_FLOAT_EQ(m.GetCapacity(), 160.0f);
    EXPECT_FLOAT_EQ(m.GetFreeLoad(), 200.0f - 34.0f - 40.0f);
}

TEST_F(FerrovantTest, DeliveredCapturedMachinesReward)
{
    auto* group = new CFerroGroup;
    group->organisation = 2;
    group->memberCount = 1;
    std::strcpy(group->members[0].name, "CAPTIVE");
    group->members[0].level = 3;
    group->members[0].respawnTime = 3.0f * CFerrovant::kNeverRespawn;
    FerroGroupList.AddGroup(group);

    CFerrovant m;
    m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    m.cargo.AddGoods("LOST", 1, 0.0f, CargoItem::kCaptured);
    m.cargo.AddGoods("FERROVANT", 1, 0.0f, CargoItem::kCaptured); // "TOV_FERROVANT" is a good: kept
    EXPECT_TRUE(m.HasCapturedMachines(2, 1));
    EXPECT_FALSE(m.HasCapturedMachines(2, 2));
    m.DeliverCapturedMachines();
    EXPECT_FLOAT_EQ(m.rating, 0.05f + 6.0f + 10.0f);
    EXPECT_FLOAT_EQ(group->members[0].respawnTime, 2.0f * CFerrovant::kNeverRespawn);
    ASSERT_EQ(m.cargo.items.Count(), 1);
    EXPECT_STREQ(m.cargo.items.At(0).name, "FERROVANT");

    RatingSink sink;
    AppEvents = &sink;
    PlayerFerrovant = &m;
    Difficulty = 2;
    m.cargo.AddGoods("LOST", 1, 0.0f, CargoItem::kCaptured);
    m.DeliverCapturedMachines();
    AppEvents = nullptr;
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_FLOAT_EQ(sink.calls[0].first, 10.0f * 0.75f);
    EXPECT_EQ(sink.calls[0].second, 1);

    m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    m.RemoveCapturedMachines(2, 1);
    EXPECT_TRUE(m.HasCapturedMachines(2, 1));
    EXPECT_FALSE(m.HasCapturedMachines(2, 2));
}

} // namespace
