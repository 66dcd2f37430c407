// Organisations: the politics file, drift, relation changes, membership, power and the save
// section.
#include "tests/world/db/world_fixture.h"

#include "ai/CFerroGroup.h"
#include "foundation/Rating.h"
#include "foundation/XMemBuffer.h"
#include "world/db/COrgManager.h"

#include <cmath>
#include <limits>

namespace {

class OrgTest : public WorldDbTest {
protected:
    // ORG_PLAYER 0, ORG_FREE 1, ORG_A 2, ORG_B 3, ORG_C 4 with their parameters.
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables({ { "Организации",
            "[ORG_PLAYER]\nICON=3\n[ORG_FREE]\n[ORG_A]\nVOLATILE=0.5\nNOBLIVION=0.8\nPLAYEREFFECT=0."
            "4\nHELPNESS=30\n"
            "BONUSREPAIR=20\nBONUSREPAIRIK=10\nBONUSTRADE=15\nBONUSEXP=25\nNOTRADEPENALTY=1\nCOURAGE=0.9\n"
            "RATINGFACTOR=2\n[ORG_B]\nVOLATILE=0.2\nNOBLIVION=0.6\n[ORG_C]\nVOLATILE=0.3\n" } });
        g_OrgManager.Init(CP1251("Организации"));
    }

    static constexpr int kPlayer = 0, kFree = 1, kA = 2, kB = 3, kC = 4;

    static std::string Politics()
    {
        return ";ORG_A;ORG_B;ORG_NEW;ORG_PLAYER\r\n"
               ";1;2;3;4\r\n"
               ";50;20;10;0\r\n"
               "ORG_A;100;-40;0;10\r\n"
               "ORG_B;;100;30;nan\r\n"
               "ORG_X;1;2;3;4\r\n"
               "ORG_NEW;0;;100;-20\r\n"
               "ORG_PLAYER;5;6;7;8\r\n";
    }

    float Pair(int a, int b, bool target = false) { return g_OrgManager.GetPairValue(a, b, target); }
};

TEST_F(OrgTest, InitReadsParametersAndAllocatesRelations)
{
    EXPECT_EQ(g_OrgManager.Count(), 5);
    EXPECT_EQ(g_OrgManager.tableCount, 5);
    EXPECT_EQ(g_OrgManager.playerRow, kPlayer);
    EXPECT_EQ(g_OrgManager.playerOrganisation, kPlayer);
    EXPECT_EQ(g_OrgManager.npcRow, -1);
    EXPECT_FALSE(g_OrgManager.IsInUse());
    const SOrgParams& a = *g_OrgManager.GetParams(kA);
    EXPECT_FLOAT_EQ(a.volatility, 0.5f);
    EXPECT_FLOAT_EQ(a.helpness, 0.3f);
    EXPECT_FLOAT_EQ(a.repairBonusParts, 0.2f); // raised to the repair bonus
    EXPECT_FLOAT_EQ(g_OrgManager.GetParams(kPlayer)->playerEffect, 1.0f);
    const SOrgParams& c = *g_OrgManager.GetParams(kC);
    EXPECT_FLOAT_EQ(c.oblivion, 0.5f);
    EXPECT_FLOAT_EQ(c.playerEffect, 0.1f);
    EXPECT_FLOAT_EQ(c.helpness, 0.1f);
    // Relations exist before any politics file.
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.0f);
    g_OrgManager.SetRelation(kA, kB, 0.3f, false);
    EXPECT_FLOAT_EQ(Pair(kB, kA), 0.3f);

    UseTables({ { "Организации", "[ORG_NPC]\n" } });
    EXPECT_THROW(g_OrgManager.Init(CP1251("Организации")), XRangeError);
}

TEST_F(OrgTest, GettersGiveDefaultsForNoneAndAddedOrganisations)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(Politics()));
    const int added = g_OrgManager.FindOrganisation("ORG_NEW");
    EXPECT_EQ(g_OrgManager.GetIcon(kPlayer), 3);
    EXPECT_FLOAT_EQ(g_OrgManager.GetCourage(kA), 0.9f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetRatingFactor(kA), 2.0f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetCourage(kB), 0.5f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetRatingFactor(kB), 1.0f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetRewardFactor(kA), 0.25f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetRepairDiscount(kA), 0.2f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPriceDiscount(kA), 0.15f);
    EXPECT_EQ(g_OrgManager.GetTradeFlag(kA), 1);
    for (int k : { -1, added }) {
        SCOPED_TRACE(k);
        EXPECT_EQ(g_OrgManager.GetIcon(k), -1);
        EXPECT_FLOAT_EQ(g_OrgManager.GetCourage(k), 0.5f);
        EXPECT_FLOAT_EQ(g_OrgManager.GetRatingFactor(k), 1.0f);
        EXPECT_FLOAT_EQ(g_OrgManager.GetHelpness(k), 0.0f);
        EXPECT_FLOAT_EQ(g_OrgManager.GetRewardFactor(k), 0.0f);
        EXPECT_EQ(g_OrgManager.GetTradeFlag(k), 0);
    }
    EXPECT_EQ(g_OrgManager.GetFixedCount(), 5);
    EXPECT_EQ(g_OrgManager.GetGoodsTradingBound(), 5);
    EXPECT_EQ(g_OrgManager.GetFirstScriptedIndex(), 5);
}

TEST_F(OrgTest, PoliticsFileSetsSymmetricRelationsAndAddsOrganisations)
{
    WriteText("Data/StartPolitics.csv", Politics());
    g_OrgManager.playerOrganisation = kA;
    g_OrgManager.SetPolitics("StartPolitics.csv");
    EXPECT_TRUE(g_OrgManager.IsInUse());
    ASSERT_EQ(g_OrgManager.Count(), 6);
    EXPECT_EQ(g_OrgManager.tableCount, 5);
    const int added = g_OrgManager.FindOrganisation("ORG_NEW");
    EXPECT_EQ(added, 5);
    EXPECT_EQ(g_OrgManager.playerOrganisation, kPlayer);

    EXPECT_FLOAT_EQ(Pair(kA, kA), 1.0f);
    EXPECT_FLOAT_EQ(Pair(kA, kB), -0.4f);
    EXPECT_FLOAT_EQ(Pair(kB, kA, true), -0.4f); // the empty field did not overwrite it
    EXPECT_FLOAT_EQ(Pair(kB, added), 0.3f); // the empty field of ORG_NEW's line kept it
    EXPECT_FLOAT_EQ(Pair(added, added), 1.0f);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kA), 0.1f);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kB), 0.0f); // nan skipped
    EXPECT_FLOAT_EQ(Pair(kPlayer, added), -0.2f);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kPlayer), 0.0f); // a fifth matrix line is not read
    EXPECT_FLOAT_EQ(Pair(kC, kA), 0.0f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(kA), 0.5f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(added), 0.1f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetReserve(kB), 0.02f);
    EXPECT_EQ(g_OrgManager.GetResolvedId(added), -2);
    EXPECT_EQ(LogCount("COrgManager::SetPolitics Organization not found"), 1);
    EXPECT_EQ(LogCount("ORG_X"), 1);

    g_OrgManager.SetAuthority(kA, 0.9f);
    g_OrgManager.SetAuthority(-1, 0.9f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(kA), 0.9f);
    g_OrgManager.RestoreAuthority(kA);
    g_OrgManager.RestoreAuthority(-1);
    EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(kA), 0.5f);
    EXPECT_THROW(g_OrgManager.SetAuthority(6, 1.0f), XRangeError);

    // The added organisation has relations but no parameters.
    EXPECT_THROW(g_OrgManager.ChangeRelation(kA, added, -1.0f, false), XRangeError);
    EXPECT_THROW(g_OrgManager.ChangeRelation(added, kA, -1.0f, false), XRangeError);
}

TEST_F(OrgTest, RowsStopAfterAsManyAsColumns)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(";ORG_A\n;0\n;0\nORG_B;50\nORG_A;70\n"));
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.5f);
    EXPECT_FLOAT_EQ(Pair(kA, kA), 0.0f);
}

TEST_F(OrgTest, BadPoliticsFilesChangeNothing)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(";ORG_A;ORG_B\n;0;0\n;10;20\nORG_A;0;25\n"));
    const float before = Pair(kA, kB);

    g_OrgManager.SetPolitics("missing.csv");
    EXPECT_EQ(LogCount("COrgManager::SetPolitics Politics file not found"), 1);
    EXPECT_EQ(LogCount("missing.csv"), 1);

    std::string wide = ";";
    for (int i = 0; i < 101; ++i)
        wide += "ORG_W" + std::to_string(i) + ";";
    wide.pop_back();
    const std::string longKey(300, 'K');
    for (const std::string& text :
        { std::string(), std::string(";\n;0\n"), std::string("ORG_A"), wide, ";ORG_A;" + longKey + "\n" }) {
        EXPECT_FALSE(g_OrgManager.ApplyPolitics(text));
    }
    EXPECT_EQ(LogCount("COrgManager::SetPolitics bad header"), 5);
    EXPECT_EQ(g_OrgManager.Count(), 5);
    EXPECT_FLOAT_EQ(Pair(kA, kB), before);

    // A long field drops its line only.
    ASSERT_TRUE(
        g_OrgManager.ApplyPolitics(";ORG_A;ORG_B\n;0;0\n;0;0\nORG_A;10;" + longKey + "\nORG_B;30;40\n"));
    EXPECT_FLOAT_EQ(Pair(kA, kA), 0.0f);
    EXPECT_FLOAT_EQ(Pair(kB, kA), 0.3f);
}

TEST_F(OrgTest, DriftFollowsTheFormulaAndAddedOrganisationsStay)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(Politics()));
    const int added = g_OrgManager.FindOrganisation("ORG_NEW");
    g_OrgManager.SetCurrentRelation(kA, kB, 0.6f);
    g_OrgManager.SetCurrentRelation(kC, kB, -1.0f);
    g_OrgManager.SetCurrentRelation(kB, added, 0.9f);
    g_OrgManager.SetCurrentRelation(kA, kA, 0.2f);
    float ab = 0.6f, cb = -1.0f;
    for (int hour = 0; hour < 24; ++hour) {
        g_OrgManager.Run(0.041666668f);
        ab += (-0.4f - ab) * 0.8f * 0.6f * 0.041666668f;
        cb += (0.0f - cb) * 0.5f * 0.6f * 0.041666668f;
    }
    EXPECT_NEAR(Pair(kA, kB), ab, 1e-6f);
    EXPECT_NEAR(Pair(kB, kC), cb, 1e-6f);
    EXPECT_NEAR(ab, -0.4f + 1.0f * std::exp(-0.48f), 0.01f);
    EXPECT_FLOAT_EQ(Pair(kB, added), 0.9f);
    EXPECT_FLOAT_EQ(Pair(kA, kA), 0.2f);
    EXPECT_FLOAT_EQ(Pair(kA, kB, true), -0.4f);
}

TEST_F(OrgTest, SetRelationWritesTheTargetAndTheCurrentUnlessUntouched)
{
    g_OrgManager.SetRelation(kA, kB, 0.5f, false);
    EXPECT_FLOAT_EQ(Pair(kA, kB, true), 0.5f);
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.5f);
    g_OrgManager.SetRelation(kB, kA, -0.5f, true);
    EXPECT_FLOAT_EQ(Pair(kA, kB, true), -0.5f);
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.5f);
    g_OrgManager.SetTargetRelation(kA, kB, 0.1f);
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.1f);
    EXPECT_FLOAT_EQ(Pair(kA, kB, true), -0.5f);
    g_OrgManager.SetRelation(-1, kB, 1.0f, false);
    g_OrgManager.SetCurrentRelation(kA, -1, 1.0f);
    EXPECT_FLOAT_EQ(Pair(-1, kB), 0.0f);
    EXPECT_THROW(g_OrgManager.SetRelation(kA, 5, 1.0f, false), XRangeError);
    EXPECT_THROW(Pair(7, 0), XRangeError);
}

TEST_F(OrgTest, ChangeRelationSpreadsToTheOthers)
{
    g_OrgManager.SetCurrentRelation(kB, kC, 0.8f); // C is B's friend
    g_OrgManager.SetCurrentRelation(kB, kFree, -0.5f);
    g_OrgManager.ChangeRelation(kA, kB, -1.0f, false);
    EXPECT_FLOAT_EQ(Pair(kA, kB), 0.2f * 0.4f * -1.0f * 0.5f);
    EXPECT_FLOAT_EQ(Pair(kA, kC), 0.0f);
    g_OrgManager.ChangeRelation(kA, kB, -1.0f, true);
    EXPECT_FLOAT_EQ(Pair(kA, kB), 2.0f * (0.2f * 0.4f * -0.5f));
    EXPECT_FLOAT_EQ(Pair(kA, kC), 0.4f * 0.3f * 0.8f * -1.0f * 0.125f);
    EXPECT_FLOAT_EQ(Pair(kA, kFree), 0.4f * 0.1f * -0.5f * -1.0f * 0.125f);
    EXPECT_FLOAT_EQ(Pair(kA, kPlayer), 0.0f);
    EXPECT_THROW(g_OrgManager.ChangeRelation(-1, kB, 1.0f, false), XRangeError);
}

TEST_F(OrgTest, JoiningAndLeavingMoveThePlayersRelations)
{
    g_OrgManager.SetRelation(kA, kB, -0.6f, false);
    g_OrgManager.SetRelation(kA, kC, 0.4f, false);
    g_OrgManager.SetRelation(kPlayer, kB, 0.2f, false); // target 0.2
    g_OrgManager.SetCurrentRelation(kPlayer, kB, 0.3f); // current 0.3: the player's own share 0.1
    g_OrgManager.JoinOrganization(kA);
    EXPECT_EQ(g_OrgManager.playerOrganisation, kA);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kB), -0.6f + 0.1f);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kC), 0.4f);
    g_OrgManager.LeaveOrganization(kA);
    EXPECT_EQ(g_OrgManager.playerOrganisation, kPlayer);
    EXPECT_NEAR(Pair(kPlayer, kB), 0.2f + (-0.5f + 0.6f), 1e-6f);
    EXPECT_FLOAT_EQ(Pair(kPlayer, kC), 0.0f);
    // -1 reads as a row of zeros.
    g_OrgManager.LeaveOrganization(-1);
    EXPECT_NEAR(Pair(kPlayer, kB), 0.2f + 0.3f, 1e-6f);
    g_OrgManager.JoinOrganization(-1);
    EXPECT_EQ(g_OrgManager.playerOrganisation, -1);
    EXPECT_NEAR(Pair(kPlayer, kB), 0.0f + (0.5f - 0.2f), 1e-6f);
}

TEST_F(OrgTest, OrgPowerAveragesRatingsAndFreesWeakOrganisations)
{
    auto group = [](int org, std::vector<float> ratings, std::vector<uint8_t> destroyed = {}) {
        auto* g = new CFerroGroup;
        g->organisation = org;
        g->memberCount = int32_t(ratings.size());
        for (size_t i = 0; i < ratings.size(); ++i) {
            g->members[i].rating = ratings[i];
            g->members[i].dead = i < destroyed.size() ? destroyed[i] : 0;
        }
        FerroGroupList.AddGroup(g);
        return g;
    };
    CFerroGroup* strong = group(kA, { 5000.0f, 5000.0f });
    CFerroGroup* strong2 = group(kA, { 5000.0f, -100.0f, 500000.0f }, { 0, 0, 1 });
    CFerroGroup* weak = group(kB, { 10.0f });
    // (5000 + 5000 + 5000 + 0 + 500000 / 100) / (2 + 5): level 5, between 1500 and 5000.
    int32_t level = 0;
    float fraction = 0;
    GetRatingLevel(20000.0f / 7.0f, level, fraction);
    ASSERT_EQ(level, 5);
    EXPECT_FLOAT_EQ(g_OrgManager.GetOrgPower(kA), 5.0f + fraction);
    EXPECT_EQ(strong->organisation, kA);
    EXPECT_EQ(strong2->organisation, kA);
    EXPECT_FLOAT_EQ(g_OrgManager.GetOrgPower(kB), 0.0f);
    EXPECT_EQ(weak->organisation, kFree);
    EXPECT_FLOAT_EQ(g_OrgManager.GetOrgPower(kC), 0.0f); // no machines: 0 / 2
}

TEST_F(OrgTest, SaveAndLoadTheRelationsOfAnyCount)
{
    for (int n : { 3, 25, 30 }) {
        SCOPED_TRACE(n);
        std::string table;
        for (int i = 0; i < n; ++i)
            table += (i == 0 ? std::string("[ORG_PLAYER]\n") : "[ORG_" + std::to_string(i) + "]\n");
        UseTables({ { "Организации", table } });
        g_OrgManager.Init(CP1251("Организации"));
        for (int a = 0; a < n; ++a)
            for (int b = 0; b <= a; ++b)
                g_OrgManager.SetRelation(a, b, float(a * 100 + b), false);
        g_OrgManager.SetCurrentRelation(n - 1, 0, -7.0f);
        XMemBuffer stream;
        g_OrgManager.SaveGame(stream);
        ASSERT_EQ(stream.Position(), n * n * 8);
        for (int a = 0; a < n; ++a)
            for (int b = 0; b <= a; ++b)
                g_OrgManager.SetRelation(a, b, 0.0f, false);
        stream.Rewind();
        ASSERT_TRUE(g_OrgManager.LoadGame(stream, n * n * 8));
        EXPECT_EQ(stream.Position(), n * n * 8);
        EXPECT_FLOAT_EQ(Pair(n - 1, n - 2, true), float((n - 1) * 100 + n - 2));
        EXPECT_FLOAT_EQ(Pair(n - 1, 0), -7.0f);
        EXPECT_FLOAT_EQ(Pair(0, n - 1, true), float((n - 1) * 100));
    }
}

TEST_F(OrgTest, ASmallerSectionFillsTheTopLeftAndBadSizesAreRefused)
{
    std::string table = "[ORG_PLAYER]\n";
    for (int i = 1; i < 30; ++i)
        table += "[ORG_" + std::to_string(i) + "]\n";
    UseTables({ { "Организации", table } });
    g_OrgManager.Init(CP1251("Организации"));
    g_OrgManager.SetRelation(29, 28, 0.75f, false);

    // A 25 x 25 section: target 1.0 everywhere, current 2.0.
    XMemBuffer small;
    for (int m = 0; m < 2; ++m)
        for (int i = 0; i < 25 * 25; ++i)
            small.WriteValue(m == 0 ? 1.0f : 2.0f);
    small.Rewind();
    ASSERT_TRUE(g_OrgManager.LoadGame(small, 25 * 25 * 8));
    EXPECT_FLOAT_EQ(Pair(24, 3, true), 1.0f);
    EXPECT_FLOAT_EQ(Pair(24, 3), 2.0f);
    EXPECT_FLOAT_EQ(Pair(29, 28), 0.75f);
    EXPECT_FLOAT_EQ(Pair(25, 3), 0.0f);

    // A 40 x 40 section into 30: the rest is skipped.
    XMemBuffer large;
    for (int m = 0; m < 2; ++m)
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 40; ++c)
                large.WriteValue(float(r * 1000 + c));
    large.WriteValue(uint32_t(0xABCD));
    large.Rewind();
    ASSERT_TRUE(g_OrgManager.LoadGame(large, 40 * 40 * 8));
    EXPECT_FLOAT_EQ(Pair(29, 28), 29028.0f);
    EXPECT_EQ(large.ReadU32(), 0xABCDu);

    for (int bytes : { 25 * 25 * 8 - 4, 8, 100, -8, 30 * 30 * 8 + 8 }) {
        XMemBuffer bad;
        for (int i = 0; i < 30 * 30 * 2 + 2; ++i)
            bad.WriteValue(9.0f);
        bad.Rewind();
        EXPECT_EQ(g_OrgManager.LoadGame(bad, bytes), bytes == 8) << bytes;
        EXPECT_FLOAT_EQ(Pair(29, 28), bytes == 8 ? 29028.0f : 29028.0f);
    }
    XMemBuffer shortStream;
    shortStream.WriteValue(1.0f);
    shortStream.Rewind();
    EXPECT_FALSE(g_OrgManager.LoadGame(shortStream, 25 * 25 * 8));
    EXPECT_EQ(LogCount("COrgManager::LoadGame bad relations size"), 5);
}

} // namespace
