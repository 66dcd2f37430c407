// The commands on the player's machine record, over real machine records, configurations and
// type tables.
#include "tests/ai/machine_fixture.h"

#include "ai/CFerroGroup.h"
#include "foundation/XMemBuffer.h"
#include "script/CZJScriptManager.h"
#include "tests/script/script_fixture.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/COrgManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CTheThing.h"

namespace {

// A glider that records the damage it takes.
class HitGlider : public CGliderObject {
public:
    void Damage(float amount, const Vec3& direction, int kind, CZJObject* attacker, int damageClass) override
    {
        hits.push_back({ amount, direction.z, float(kind), attacker ? 1.0f : 0.0f, float(damageClass) });
    }
    std::vector<std::vector<float>> hits;
};

class PlayerCommandsTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        LoadTables(FullRow("CFG_A"), "[GL_LIGHT_SCOUT]\nDAMAGE=100\n[GL_HEAVY_TANK_2]\nDAMAGE=100\n");
        std::string error;
        ASSERT_TRUE(zoq::test::WriteTextTable(m_dir, "[RATING.3]\nNAME = Pilot\n", error)) << error;
        manager.Init();
        g_pScriptManager = &manager;
        g_pScriptHost = &host;
        player.ApplyConfig(0, false, 0);
        PlayerFerrovant = &player;
        player.glider = &glider;
        glider.ferrovant = &player;
    }
    void TearDown() override
    {
        g_pScriptHost = nullptr;
        g_pScriptManager = nullptr;
        player.glider = nullptr;
        MachineTest::TearDown();
    }

    bool Run(const std::string& call) { return manager.CheckCondition(("IF(" + call + ")").c_str()); }

    CZJScriptManager manager;
    zoq::test::RecordingHost host;
    CFerrovant player;
    HitGlider glider;
};

TEST_F(PlayerCommandsTest, moneyIsTheCargosBulkAmount)
{
    player.cargo.bulkAmount = 100.0f;
    EXPECT_TRUE(Run("_MOREBALANCE(100)"));
    EXPECT_FALSE(Run("_MOREBALANCE(100.5)"));
    EXPECT_TRUE(Run("_ADDBALANCE(50.7)"));
    EXPECT_FLOAT_EQ(player.cargo.bulkAmount, 150.7f);
    EXPECT_FLOAT_EQ(manager.statistics.money[2], 50.7f);
    EXPECT_TRUE(Run("_ADDBALANCE(-20)"));
    EXPECT_FLOAT_EQ(player.cargo.bulkAmount, 130.7f);
    EXPECT_EQ(host.Count("SND_INT_MONEY"), 2);
    ASSERT_EQ(manager.outputCount, 2);
    EXPECT_EQ(manager.Output(0).kind, SScriptOutput::Money);
    EXPECT_EQ(manager.Output(0).value, 50);
    EXPECT_EQ(manager.Output(1).value, -20);
    for (int field : { 0, 1, 3, 4, 5, 6 })
        EXPECT_EQ(manager.statistics.money[field], 0.0f) << field; // -1: no statistics

    // The categories the menus pass.
    const std::pair<int, int> expenses[] = { { 0, 3 }, { 1, 5 }, { 2, 4 }, { 3, 6 } };
    for (const auto& [category, field] : expenses) {
        manager.AddBalance(-10.0f, category);
        EXPECT_FLOAT_EQ(manager.statistics.money[field], 10.0f) << category;
    }
    const std::pair<int, int> incomes[] = { { 1, 1 }, { 2, 0 } };
    for (const auto& [category, field] : incomes) {
        manager.AddBalance(5.0f, category);
        EXPECT_FLOAT_EQ(manager.statistics.money[field], 5.0f) << category;
    }
}

TEST_F(PlayerCommandsTest, aRiseOfRatingFiresItsEventAndSound)
{
    player.rating = 100.0f; // level 2
    EXPECT_TRUE(Run("_ADDRATING(20)"));
    EXPECT_EQ(host.Count("SND_LEVEL_UP"), 0);
    EXPECT_TRUE(Run("_ADDRATING(150)"));
    EXPECT_FLOAT_EQ(player.rating, 270.0f);
    EXPECT_TRUE(manager.IsEventSet("RATING.3"));
    EXPECT_EQ(host.Count("SND_LEVEL_UP"), 1);
    EXPECT_FLOAT_EQ(manager.statistics.rating[1], 170.0f);
    EXPECT_EQ(manager.outputCount, 2);
    EXPECT_EQ(manager.Output(1).kind, SScriptOutput::Rating);
    manager.AddRating(5.0f, 1);
    manager.AddRating(5.0f, 2);
    EXPECT_FLOAT_EQ(manager.statistics.rating[0], 5.0f);
    EXPECT_FLOAT_EQ(manager.statistics.rating[2], 5.0f);
    manager.playerName = "Ann";
    CXAnsiString text("%RATINGNAME %NAME");
    manager.UpdateXStringWithNames(text);
    EXPECT_EQ(text, "Pilot Ann");
}

TEST_F(PlayerCommandsTest, aRatingChangeOutsideANetworkGameSendsNothing)
{
    glider.networked = 1;
    const size_t logged = LogLines().size();
    manager.AddRating(5.0f, 1);
    EXPECT_EQ(LogLines().size(), logged) << "no failed send to a server";
}

TEST_F(PlayerCommandsTest, aFullOutputListDropsTheEntryAndStillPays)
{
    std::string source = "PROC P\n";
    for (int i = 0; i < 30; ++i)
        source += "_INFO(K)\n";
    source += "_ADDBALANCE(40)\n_ADDRATING(1)\n_SETEVENT(DONE)\nEND\n";
    zoq::test::WriteText(m_dir / "src" / "PAY.scr", source);
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(zoq::tools::script::CompileScript(m_dir / "src" / "PAY.scr", m_dir / "src", lines, error))
        << error;
    zoq::test::WriteBytes(m_dir / "SCRIPT" / "bin" / "PAY.scr", zoq::tools::script::StoreScript(lines));
    const float rating = player.rating;
    EXPECT_TRUE(manager.ZJRunScript("PAY", 1, "P"));
    EXPECT_EQ(manager.outputCount, 30);
    EXPECT_FLOAT_EQ(player.cargo.bulkAmount, 40.0f);
    EXPECT_FLOAT_EQ(player.rating, rating + 1.0f);
    EXPECT_TRUE(manager.IsEventSet("DONE"));
    EXPECT_EQ(LogCount("output list full"), 1); // the rating's entry is skipped without a line
}

TEST_F(PlayerCommandsTest, playerHasCountsGoodsOfBothKindsSeparately)
{
    player.cargo.AddGoods("TOV_A", 3, 0.0f, CargoItem::kGoods);
    player.cargo.items.Add(CargoItem { CargoItem::kUnmerged, "TOV_A", 2, 0.0f });
    EXPECT_TRUE(Run("_PLAYERHAS(TOV_A,3)"));
    EXPECT_FALSE(Run("_PLAYERHAS(TOV_A,5)"));
    EXPECT_TRUE(Run("_PLAYERHAS(TOV_A)"));
    EXPECT_FALSE(Run("_PLAYERHAS(FERROVANT)"));
    player.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    EXPECT_FALSE(Run("_PLAYERHAS(FERROVANT,0)"));
    EXPECT_TRUE(Run("_PLAYERHAS(FERROVANT)"));
    EXPECT_FALSE(Run("_PLAYERHAS(FERROVANT,2)"));
    EXPECT_TRUE(Run("_PLAYERHAS(CAPTIVE,9)"));
    EXPECT_TRUE(Run("_PLAYERHAS(EQP_SHIELD)"));
    EXPECT_FALSE(Run("_PLAYERHAS(EQP_ANALYZER)"));
    EXPECT_FALSE(Run("_PLAYERHAS(GUN_L)"));
}

TEST_F(PlayerCommandsTest, anOrganisationNameCountsItsCapturedMachines)
{
    auto group = std::make_unique<CFerroGroup>();
    std::strcpy(group->name, "G1");
    group->organisation = g_OrgManager.FindOrganisation("ORG_PLAYER");
    group->memberCount = 2;
    std::strcpy(group->members[0].name, "M1");
    std::strcpy(group->members[1].name, "M2");
    FerroGroupList.AddGroup(group.release());
    player.cargo.AddGoods("M1", 1, 0.0f, CargoItem::kCaptured);
    player.cargo.AddGoods("M2", 1, 0.0f, CargoItem::kCaptured);
    EXPECT_TRUE(Run("_PLAYERHAS(ORG_PLAYER,2)"));
    EXPECT_FALSE(Run("_PLAYERHAS(ORG_PLAYER,3)"));
    EXPECT_TRUE(Run("_REMOVEOBJECT(ORG_PLAYER,1)"));
    EXPECT_FALSE(Run("_PLAYERHAS(ORG_PLAYER,2)"));
    EXPECT_TRUE(Run("_PLAYERHAS(ORG_PLAYER)"));
    EXPECT_EQ(manager.outputCount, 0);
}

TEST_F(PlayerCommandsTest, removeObjectHandsInCapturedMachinesWithoutAnEntry)
{
    for (int i = 0; i < 3; ++i)
        player.cargo.AddGoods(("CAPTIVE" + std::to_string(i)).c_str(), 1, 0.0f, CargoItem::kCaptured);
    player.cargo.AddGoods("TOV_A", 4, 0.0f, CargoItem::kGoods);
    EXPECT_TRUE(Run("_REMOVEOBJECT(FERROVANT,5)"));
    EXPECT_FALSE(player.cargo.HasCaptured(nullptr, 1));
    EXPECT_EQ(manager.outputCount, 0);
    EXPECT_TRUE(Run("_REMOVEOBJECT(TOV_A,3)"));
    EXPECT_TRUE(player.cargo.HasGoods("TOV_A", CargoItem::kGoods, 1));
    EXPECT_FALSE(player.cargo.HasGoods("TOV_A", CargoItem::kGoods, 2));
    ASSERT_EQ(manager.outputCount, 1);
    EXPECT_EQ(manager.Output(0).kind, SScriptOutput::ObjectTaken);
    EXPECT_EQ(manager.Output(0).value, 3);
    player.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    EXPECT_TRUE(Run("_REMOVEOBJECT(CAPTIVE)"));
    EXPECT_FALSE(player.cargo.HasCaptured("CAPTIVE", 1));
    EXPECT_EQ(manager.outputCount, 1);
    EXPECT_TRUE(Run("_REMOVEOBJECT(TOV_A,0)"));
    EXPECT_EQ(LogCount("CZJScriptManager::RemoveObject invalid number of objects"), 1);
}

TEST_F(PlayerCommandsTest, addObjectChangesThePartTheTableNames)
{
    EXPECT_TRUE(Run("_ADDOBJECT(MIS_BOMB,3)"));
    EXPECT_EQ(player.ammoCount, 1);
    EXPECT_EQ(player.ammo[0].count, 7); // merged into the configuration's stock of 4
    EXPECT_TRUE(Run("_ADDOBJECT(MIS_ROCKET,2)"));
    EXPECT_EQ(player.ammoCount, 2);
    EXPECT_TRUE(Run("_ADDOBJECT(GUN_H)"));
    EXPECT_EQ(player.config.lightGun.words[0], uint32_t(g_GunManager.FindRow("GUN_H")));
    EXPECT_EQ(glider.guns[0].item.words[0], uint32_t(g_GunManager.FindRow("GUN_H"))); // synchronised
    EXPECT_TRUE(Run("_ADDOBJECT(GL_HEAVY_TANK_2)"));
    EXPECT_EQ(player.hull.index, g_GliderManager.GetRowNames().Find("GL_HEAVY_TANK_2"));
    EXPECT_EQ(glider.typeIndex, player.hull.index);
    EXPECT_TRUE(Run("_ADDOBJECT(EQP_ARMOR_ZERO)"));
    EXPECT_STREQ(player.armour.Name(), "EQP_ARMOR_ZERO");
    EXPECT_FLOAT_EQ(player.armourLevel, player.armour.Maximum());
    const int mounted = player.mountedCount;
    EXPECT_TRUE(Run("_ADDOBJECT(EQP_ANALYZER)"));
    EXPECT_EQ(player.mountedCount, mounted + 1);
    EXPECT_STREQ(player.Mounted(mounted).Name(), "EQP_ANALYZER");
    EXPECT_TRUE(Run("_ADDOBJECT(EQP_REACTOR)")); // a reactor joins the mounted items
    EXPECT_EQ(player.mountedCount, mounted + 2);
    EXPECT_TRUE(Run("_ADDOBJECT(NOBODY,2)"));
    EXPECT_TRUE(player.cargo.HasCaptured("NOBODY", 1));
    EXPECT_TRUE(Run("_ADDOBJECT(TOV_NOMERGE,2)"));
    EXPECT_TRUE(player.cargo.HasGoods("TOV_NOMERGE", CargoItem::kUnmerged, 2));
    EXPECT_EQ(manager.outputCount, 9);
    EXPECT_EQ(manager.Output(0).kind, SScriptOutput::ObjectGiven);
    EXPECT_EQ(manager.Output(0).value, 3);
}

TEST_F(PlayerCommandsTest, addObjectRefusesAnEleventhStockAndATwentyFirstItem)
{
    player.ammoCount = CFerrovant::kMaxAmmo;
    for (AmmoStock& stock : player.ammo)
        stock = AmmoStock { g_MissileManager.GetRowNames().Find("MIS_BOMB"), {}, 1 };
    player.ammo[0].index = -1;
    EXPECT_TRUE(Run("_ADDOBJECT(MIS_ROCKET)"));
    EXPECT_EQ(player.ammoCount, CFerrovant::kMaxAmmo);
    while (player.mountedCount < CFerrovant::kMaxMounted) {
        SItemRecord named {};
        SetItemName(named, "EQP_ANALYZER");
        player.mounted[player.mountedCount++] = std::make_unique<CEquipment>(named);
    }
    EXPECT_TRUE(Run("_ADDOBJECT(EQP_ANALYZER_X)"));
    EXPECT_EQ(player.mountedCount, CFerrovant::kMaxMounted);
    EXPECT_EQ(LogCount("CZJScriptManager::AddObject no room for"), 2);
    EXPECT_TRUE(Run("_ADDOBJECT(TOV_A,0)"));
    EXPECT_EQ(LogCount("CZJScriptManager::AddObject invalid number of objects"), 1);
}

TEST_F(PlayerCommandsTest, isGliderComparesThePartsOfTheTypeName)
{
    EXPECT_TRUE(Run("_ADDOBJECT(GL_HEAVY_TANK_2)"));
    const std::pair<const char*, bool> cases[] = {
        { "_ISGLIDER(HEAVY)", true },
        { "_ISGLIDER(HEA)", true },
        { "_ISGLIDER(LIGHT)", false },
        { "_ISGLIDER(*,EAVY)", true },
        { "_ISGLIDER(*,*,TANK)", true },
        { "_ISGLIDER(H,E,T)", true },
        { "_ISGLIDER(*,*,SCOUT)", false },
        { "_ISGLIDER(HEAVY_TANK)", false },
    };
    for (const auto& [call, expected] : cases)
        EXPECT_EQ(Run(call), expected) << call;
}

TEST_F(PlayerCommandsTest, damageCommandsAskTheMachineAndDieDestroysTheGlider)
{
    EXPECT_EQ(Run("_PLAYERDAMAGEDHI()"), player.IsBadlyDamaged());
    EXPECT_EQ(Run("_PLAYERDAMAGEDLOW()"), player.IsCritical());
    EXPECT_TRUE(Run("_DIE()"));
    ASSERT_EQ(glider.hits.size(), 1u);
    EXPECT_EQ(glider.hits[0], (std::vector<float> { 1.0e10f, 1.0f, 1.0f, 0.0f, -1.0f }));
}

TEST_F(PlayerCommandsTest, showObjectAtPosPlacesAThingByItsItem)
{
    float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 100, 200, 30, 1 };
    ObjectList.AddHelperPoint(new CHelperPoint(placement, "PTR", 0));
    EXPECT_TRUE(Run("_SHOWOBJECTATPOS(TOV_A,NOWHERE)"));
    EXPECT_EQ(LogCount("Pointer 'NOWHERE' not found"), 1);
    const std::tuple<const char*, int, uint32_t, int> cases[] = {
        { "_SHOWOBJECTATPOS(250,PTR)", 515, 3, 250 },
        { "_SHOWOBJECTATPOS(TOV_A,PTR,4)", 513, 0, 4 },
        { "_SHOWOBJECTATPOS(TOV_NOMERGE,PTR)", 514, 1, 1 },
        { "_SHOWOBJECTATPOS(MIS_BOMB,PTR,2)", 513, 0, 2 },
        { "_SHOWOBJECTATPOS(CAPTIVE,PTR)", 257, 2, 1 },
    };
    for (const auto& [call, kind, itemKind, count] : cases) {
        SCOPED_TRACE(call);
        EXPECT_TRUE(Run(call));
        auto* thing = dynamic_cast<CTheThing*>(ObjectList.Objects().Tail());
        ASSERT_NE(thing, nullptr);
        EXPECT_EQ(thing->kind, kind);
        ASSERT_EQ(thing->contentCount, 1);
        EXPECT_EQ(thing->contents[0].kind, itemKind);
        EXPECT_EQ(thing->contents[0].amount, uint32_t(count));
        EXPECT_EQ(thing->visible, 1);
        EXPECT_GE(thing->frame.position.x, 80.0f);
        EXPECT_LT(thing->frame.position.x, 120.0f);
        EXPECT_GE(thing->frame.position.y, 180.0f);
        EXPECT_LT(thing->frame.position.y, 220.0f);
        EXPECT_FLOAT_EQ(thing->frame.position.z, 1.0f); // above the ground: no map is loaded
    }
}

TEST_F(PlayerCommandsTest, loadingASectionSetsTheGlobalDifficulty)
{
    manager.difficulty = 2;
    XMemBuffer stream(4096);
    manager.SaveState(stream);
    stream.Rewind();
    Difficulty = 0;
    CZJScriptManager loaded;
    loaded.LoadState(stream);
    EXPECT_EQ(Difficulty, 2);
}

} // namespace
