// The situation analysis: the warning indicator, the fight and calm test of the hostile groups,
// the tower test and the choice of music, on the frame fixture with a recording music manager.
#include "tests/flow/frame_fixture.h"

#include "app/FrameMath.h"
#include "audio/CMusicMng.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "ui/CMessager.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CTowerObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// Plays nothing: remembers what it was asked to play and counts that as playing.
class RecordingMusic : public CMusicMng {
public:
    struct SPlay {
        int track;
        bool loop;
    };
    SoundResult PlayMusic(int track, bool loop, bool fade) override
    {
        EXPECT_TRUE(fade);
        plays.push_back({ track, loop });
        current = track;
        return kSoundOk;
    }
    bool IsPlaying(int track) override { return current != -1 && (track == -1 || track == current); }
    int GetCurrentTrack() override { return current; }

    int current = -1;
    std::vector<SPlay> plays;
};

TEST(MusicChoiceTest, everyBranchWithASeededGenerator)
{
    const int32_t battle[] = { 10, 11, 12 };
    const int32_t calm[] = { 20, 21 };
    framemath::SMusicSituation base;
    base.deathTrack = 1;
    base.specialTrack = 2;
    base.towerTrack = 3;
    base.mainTrack = 4;
    base.battle = battle;
    base.battleCount = 3;
    base.calmTracks = calm;
    base.calmCount = 2;
    struct Case {
        const char* what;
        void (*set)(framemath::SMusicSituation&);
        bool play;
        int32_t track;
        bool loop;
        bool flip;
    };
    // Seed 1 steps to 58598: (58598 >> 8) = 228; 228 mod 3 = 0, 228 mod 2 = 0.
    const Case cases[] = {
        { "destroyed", [](auto& s) { s.destroyed = true, s.fight = true; }, true, 1, false, false },
        { "fight starts a battle track", [](auto& s) { s.fight = true; }, true, 10, true, false },
        { "fight with a battle track on", [](auto& s) { s.fight = true, s.current = 11; }, false, -1, false,
            false },
        { "battle music kept while not calm", [](auto& s) { s.calm = false, s.current = 12; }, false, -1,
            false, false },
        { "calm ends the battle: main track", [](auto& s) { s.current = 12, s.alternate = true; }, true, 4,
            false, true },
        { "not calm, nothing fighting: the zone", [](auto& s) { s.calm = false, s.zoneState = 3; }, true, 2,
            true, false },
        { "zone 2 is no danger", [](auto& s) { s.zoneState = 2, s.nearTower = true; }, true, 3, true, false },
        { "tower", [](auto& s) { s.nearTower = true, s.current = 4; }, true, 3, true, false },
        { "nothing plays: a calm track", [](auto& s) { s.alternate = false; }, true, 20, false, true },
        { "the main track plays on", [](auto& s) { s.current = 4; }, false, -1, false, false },
        { "a calm track plays on", [](auto& s) { s.current = 21; }, false, -1, false, false },
        { "no calm tracks: nothing", [](auto& s) { s.calmCount = 0, s.current = 7; }, false, -1, false,
            false },
        { "a missing track plays nothing", [](auto& s) { s.destroyed = true, s.deathTrack = -1; }, false, -1,
            false, false },
        { "no battle tracks: nothing", [](auto& s) { s.fight = true, s.battleCount = 0; }, false, -1, false,
            false },
    };
    for (const Case& c : cases) {
        framemath::SMusicSituation s = base;
        c.set(s);
        XRandom random;
        random.seed = 1;
        const framemath::SMusicChoice choice = framemath::ChooseMusic(s, random);
        EXPECT_EQ(choice.play, c.play) << c.what;
        if (c.play) {
            EXPECT_EQ(choice.track, c.track) << c.what;
            EXPECT_EQ(choice.loop, c.loop) << c.what;
        }
        EXPECT_EQ(choice.flipAlternate, c.flip) << c.what;
    }
}

TEST(MusicChoiceTest, randomPicksFollowTheGenerator)
{
    const int32_t battle[] = { 10, 11, 12 };
    framemath::SMusicSituation s;
    s.fight = true;
    s.battle = battle;
    s.battleCount = 3;
    XRandom random;
    random.seed = 7;
    uint32_t seed = 7;
    for (int i = 0; i < 20; ++i) {
        seed = (seed * 9301 + 49297) % 233280;
        EXPECT_EQ(framemath::ChooseMusic(s, random).track, battle[(seed >> 8) % 3]);
    }
}

TEST(WarningTest, theMachineAndTheZone)
{
    struct Case {
        float energy, armour, hull, reactor, engine;
        int32_t zone;
        int32_t indicator;
    };
    const Case cases[] = {
        { 1.0f, 1.0f, 0, 0, 0, -1, -1 },
        { 0.2406f, 1.0f, 0, 0, 0, -1, 6 },
        { 0.2407f, 1.0f, 0, 0, 0, -1, -1 },
        { 0.1f, 0.04f, 0.3f, 0, 0, -1, 3 }, // armour over energy
        { 1.0f, 0.04f, 0, 0.3f, 0, -1, 3 },
        { 1.0f, 0.04f, 0, 0, 0.4f, -1, -1 }, // the engine needs more than half
        { 1.0f, 0.04f, 0, 0, 0.6f, -1, 3 },
        { 1.0f, 0.05f, 0.9f, 0.9f, 0.9f, -1, -1 }, // armour left
        { 1.0f, 0.0f, 0, 0, 0, -1, -1 }, // no part damaged
        { 0.1f, 1.0f, 0, 0, 0, 3, 4 }, // the zone over all, 3 shown as 4
        { 0.1f, 1.0f, 0, 0, 0, 2, 2 },
        { 1.0f, 1.0f, 0, 0, 0, 5, 5 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(framemath::WithZoneState(
                      framemath::MachineWarning(c.energy, c.armour, c.hull, c.reactor, c.engine), c.zone),
            c.indicator)
            << c.energy << " " << c.armour << " " << c.zone;
}

class AnalysisTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        UseTables({ { "Музыка",
            "[MUS_LOC1]\n[MUS_TOWER]\n[MUS_FIGHT]\n[MUS_CALM]\n[MUS_DEATH]\n[MUS_OBSERVER]\n" } });
        music.Init(plat::win::Utf8ToCp1251("Музыка").c_str());
        g_pMusicMng = &music;
        ZJEngine.ids2[CZJEngine::kMusObserver] = FindMusicId("MUS_OBSERVER");
        SLocMusic& loc = ZJEngine.music;
        loc.Reset();
        std::snprintf(loc.mainTrack, 32, "MUS_LOC1");
        std::snprintf(loc.towerTrack, 32, "MUS_TOWER");
        std::snprintf(loc.battleTracks[0], 32, "MUS_FIGHT");
        loc.battleCount = 1;
        std::snprintf(loc.calmTracks[0], 32, "MUS_CALM");
        loc.calmCount = 1;
        ASSERT_TRUE(messager.Init());
        g_pMessager = &messager;
        PlayerFerrovant->glider = &glider;
        PlayerFerrovant->energy = PlayerFerrovant->GetEnergyLevel(2);
        PlayerFerrovant->armourLevel = PlayerFerrovant->GetArmorLevel(2);
    }
    void TearDown() override
    {
        g_pMessager = nullptr;
        g_pMusicMng = nullptr;
        PlayerFerrovant->glider = nullptr;
        ZJEngine.music.Reset();
        FrameTest::TearDown();
    }

    // A materialised group attacking the player's team from dx in front of the glider.
    CFerroGroup& Hostile(float dx, float threat)
    {
        CFerroGroup& group = Group("HOSTILE", 1);
        group.assembled = 0;
        group.state = CFerroGroup::kAttacking;
        group.followed = FerroGroupList.At(0);
        group.position = { glider.frame.position.x + dx, glider.frame.position.y, 0.0f };
        group.targetCount = 1;
        group.targets[0] = TargetRecord { 0, 3, dx * dx, threat, -1.0f, -1.0f, 0 };
        return group;
    }
    int Track(const char* name) const { return FindMusicId(name); }
    int Playing() const { return music.current; }

    RecordingMusic music;
    CMessager messager;
};

TEST_F(AnalysisTest, theIndicatorFromEnergyArmourPartsAndZone)
{
    CFerrovant& m = *PlayerFerrovant;
    const float energy = m.GetEnergyLevel(2);
    struct Case {
        float energy;
        float armour;
        float hullWear;
        int32_t zone;
        int32_t indicator;
    };
    const Case cases[] = {
        { 1.0f, 1.0f, 0.0f, -1, -1 },
        { 0.2406f, 1.0f, 0.0f, -1, 6 },
        { 1.0f, 0.0f, 0.3f, -1, 3 },
        { 1.0f, 0.0f, 0.2f, -1, -1 },
        { 1.0f, 1.0f, 0.0f, 3, 4 },
        { 0.1f, 1.0f, 0.0f, 1, 1 },
    };
    for (const Case& c : cases) {
        m.energy = c.energy * energy;
        m.armourLevel = c.armour * m.GetArmorLevel(2);
        m.hull.wear = c.hullWear * m.hull.MaximumWear();
        AnomalyLevel = c.zone;
        app.AnalizeSituation();
        EXPECT_EQ(messager.warningSign, c.indicator) << c.energy << " " << c.armour << " " << c.zone;
    }
}

TEST_F(AnalysisTest, fightMusicStartsWithin975AndStopsBeyond1300)
{
    music.current = Track("MUS_LOC1");
    CFerroGroup& group = Hostile(1000.0f, 5.0f);
    ArmourHits = 1.0f;
    app.AnalizeSituation();
    EXPECT_EQ(Playing(), Track("MUS_LOC1")) << "1000 away does not start it";

    group.position.x = glider.frame.position.x + 900.0f;
    app.AnalizeSituation();
    ASSERT_EQ(Playing(), Track("MUS_FIGHT"));
    EXPECT_TRUE(music.plays.back().loop);

    ArmourHits = 0.0f;
    group.position.x = glider.frame.position.x + 1200.0f;
    app.AnalizeSituation();
    EXPECT_EQ(Playing(), Track("MUS_FIGHT")) << "kept within 1300 without hits";
    EXPECT_EQ(music.plays.size(), 1u) << "not started again";

    group.position.x = glider.frame.position.x + 1400.0f;
    ZJEngine.music.alternate = 1;
    app.AnalizeSituation();
    EXPECT_EQ(Playing(), Track("MUS_LOC1")) << "calm again: the main track";
    EXPECT_FALSE(music.plays.back().loop);
    EXPECT_EQ(ZJEngine.music.alternate, 0);
}

TEST_F(AnalysisTest, onlyAStrongHitPlayerChasingGroupStartsAFight)
{
    struct Case {
        const char* what;
        float threat;
        bool hit;
        int32_t state;
        bool assembled;
        bool followsPlayer;
        bool fight;
    };
    const Case cases[] = {
        { "attacking", 5.0f, true, CFerroGroup::kAttacking, false, true, true },
        { "retreating", 5.0f, true, CFerroGroup::kRetreating, false, true, true },
        { "weak", 3.0f, true, CFerroGroup::kAttacking, false, true, false },
        { "player not hit", 5.0f, false, CFerroGroup::kAttacking, false, true, false },
        { "escaping", 5.0f, true, CFerroGroup::kEscaping, false, true, false },
        { "assembled", 5.0f, true, CFerroGroup::kAttacking, true, true, false },
        { "after another group", 5.0f, true, CFerroGroup::kAttacking, false, false, false },
    };
    for (const Case& c : cases) {
        FerroGroupList.Clear();
        CFerroGroup& group = Hostile(500.0f, c.threat);
        group.state = c.state;
        group.assembled = c.assembled ? 1 : 0;
        if (!c.followsPlayer)
            group.followed = &group;
        HullHits = c.hit ? 0.5f : 0.0f;
        music.current = Track("MUS_CALM");
        app.AnalizeSituation();
        EXPECT_EQ(Playing() == Track("MUS_FIGHT"), c.fight) << c.what;
    }
}

TEST_F(AnalysisTest, nearATowerWithinItsRadiusAndFifty)
{
    Location.blocksX = Location.blocksY = 2;
    auto* tower = new CTowerObject;
    tower->radius = 100.0f;
    tower->frame.position = { glider.frame.position.x + 149.0f, glider.frame.position.y, 0.0f };
    ObjectList.AddObject(tower);
    PlayerControl.Invisibility = 1;
    app.AnalizeSituation();
    EXPECT_EQ(PlayerControl.NearTower, 1);
    EXPECT_EQ(Playing(), Track("MUS_TOWER"));
    EXPECT_EQ(messager.warningSign, -1) << "the tower sets no indicator";

    ObjectList.Clear();
    auto* far = new CTowerObject;
    far->radius = 100.0f;
    far->frame.position = { glider.frame.position.x + 151.0f, glider.frame.position.y, 0.0f };
    ObjectList.AddObject(far);
    app.AnalizeSituation();
    EXPECT_EQ(PlayerControl.NearTower, 0);
    EXPECT_EQ(PlayerControl.Invisibility, 1) << "only the tower flag is written";
}

TEST_F(AnalysisTest, deathAndTheZoneOverrideTheRest)
{
    AnomalyLevel = 3;
    app.AnalizeSituation();
    EXPECT_EQ(Playing(), Track("MUS_OBSERVER"));
    EXPECT_EQ(messager.warningSign, 4);

    PlayerFerrovant->hull.destroyed = 1;
    app.AnalizeSituation();
    EXPECT_EQ(Playing(), Track("MUS_DEATH"));
    EXPECT_FALSE(music.plays.back().loop);
}

} // namespace
