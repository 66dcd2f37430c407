#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "foundation/CViewFrame.h"
#include "foundation/NameKey32.h"
#include "foundation/XRangeError.h"
#include "tests/audio/audio_fixture.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CFlyTehManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/objects/CAnomalZonePoint.h"
#include "world/objects/CFlyTehObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSoundZonePoint.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <memory>
#include <vector>

using namespace audiotest;

namespace {

// A glider that records the damage it takes.
class TargetGlider : public CGliderObject {
public:
    struct Hit {
        float amount;
        int heavy;
        CZJObject* attacker;
        int damageClass;
    };
    void Damage(float amount, const Vec3&, int heavy, CZJObject* attacker, int damageClass) override
    {
        hits.push_back({ amount, heavy, attacker, damageClass });
    }
    std::vector<Hit> hits;
};

constexpr float kIdentity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };

class ZoneTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteToneWav("Sound\\hum.wav");
        WriteTable(CP1251("Звуки"),
            { { "SND_HUM", { "Filename=Sound\\hum.wav", "3DSound=1", "MINDIST=100" } },
                { "SND_FLY_OBSERVER", { "Filename=Sound\\hum.wav", "3DSound=1", "MINDIST=100" } } });
        WriteTable("SoundZone",
            {
                { "SZ_ONCE", { "Model=SND_HUM", "PERIOD=2" } },
                { "SZ_LOOP", { "Model=SND_HUM", "LOOP=1", "LENGTH=1" } },
            });
        WriteTable("Anomal", { { "AN_HOT", { "TYPE=5", "FORCE=0.5" } }, { "AN_CALM", { "TYPE=1" } } });
        m_manager = std::make_unique<CSoundManager>();
        m_manager->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_manager->InitSound(nullptr));
        m_manager->SetVolume(10);
        m_manager->SetListener({ 0, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 });
        g_pSoundManager = m_manager.get();
        g_SoundZoneManager.Init("SoundZone");
        g_AnomalZoneManager.Init("Anomal");
        ObjectList.Clear();
        // A grid of 2 x 2 cells without terrain: the zones find the gliders filed in it.
        Location.blocksX = Location.blocksY = 2;
        ViewFrame.position = Vec3 { 0, 0, 0 };
        PlayerObject = nullptr;
        AnomalyLevel = -1;
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.blocksX = Location.blocksY = 0;
        PlayerObject = nullptr;
        g_pSoundManager = nullptr;
        m_manager.reset();
        AudioTest::TearDown();
    }

    TargetGlider* GliderAt(float x)
    {
        auto* glider = new TargetGlider;
        glider->frame.SetPosition(Vec3 { x, 0, 0 });
        ObjectList.AddObject(glider);
        return glider;
    }
    static std::unique_ptr<CSoundZonePoint> SoundZone(const char* type)
    {
        auto zone = std::make_unique<CSoundZonePoint>(MakeNameKey32(type), kIdentity, "ZONE");
        zone->radius = 40.0f;
        return zone;
    }
    CSoundObject* Slot(const CSoundZonePoint& zone)
    {
        SSoundControl* control = m_manager->GetControl(zone.soundHandle);
        return control ? control->slot : nullptr;
    }

    std::unique_ptr<CSoundManager> m_manager;
};

TEST_F(ZoneTest, AnAnomalyHurtsTheGlidersInsideByDistance)
{
    CAnomalZonePoint zone(MakeNameKey32("AN_HOT"), kIdentity, "HOT");
    EXPECT_EQ(zone.kind, 20);
    zone.radius = 100.0f; // the row has no model
    TargetGlider* centre = GliderAt(0);
    TargetGlider* rim = GliderAt(99);
    TargetGlider* near = GliderAt(250); // within radius + 175: only the level
    TargetGlider* far = GliderAt(300);
    PlayerObject = near;
    zone.Run(1.0f);
    ASSERT_EQ(centre->hits.size(), 1u);
    EXPECT_FLOAT_EQ(centre->hits[0].amount, 150.0f * 0.5f);
    EXPECT_EQ(centre->hits[0].heavy, 1);
    EXPECT_EQ(centre->hits[0].attacker, nullptr);
    EXPECT_EQ(centre->hits[0].damageClass, 3) << "the level, at most 3";
    ASSERT_EQ(rim->hits.size(), 1u);
    EXPECT_NEAR(rim->hits[0].amount, 25.0f * 0.5f, 1.0f);
    EXPECT_TRUE(near->hits.empty());
    EXPECT_TRUE(far->hits.empty());
    EXPECT_EQ(AnomalyLevel, 3);

    // The level is the player's alone; a view far away skips the zone.
    AnomalyLevel = -1;
    PlayerObject = far;
    zone.Run(1.0f);
    EXPECT_EQ(AnomalyLevel, -1);
    EXPECT_EQ(centre->hits.size(), 2u);
    ViewFrame.position = Vec3 { float(VisibleRadius) * 20.0f, 0, 0 };
    zone.Run(1.0f);
    EXPECT_EQ(centre->hits.size(), 2u);
}

TEST_F(ZoneTest, AnAnomalyWithoutPowerOnlyShowsItsLevel)
{
    CAnomalZonePoint zone(MakeNameKey32("AN_CALM"), kIdentity, "CALM");
    zone.radius = 100.0f;
    TargetGlider* glider = GliderAt(0);
    PlayerObject = glider;
    zone.Run(1.0f);
    EXPECT_TRUE(glider->hits.empty());
    EXPECT_EQ(AnomalyLevel, 1);
    EXPECT_THROW(CAnomalZonePoint(MakeNameKey32("AN_NONE"), kIdentity, "X"), XRangeError);
}

TEST_F(ZoneTest, ASoundZoneLeftBeforeItsTimerNeverPlays)
{
    auto zone = SoundZone("SZ_ONCE");
    EXPECT_EQ(zone->kind, 21);
    EXPECT_STREQ(zone->typeName, "SZ_ONCE");
    EXPECT_GE(zone->timer, 1.5f);
    EXPECT_LE(zone->timer, 2.0f);
    EXPECT_GT(zone->remaining, 0.0f) << "set before the first read";
    zone->Run(0.5f);
    zone->Run(0.5f);
    ViewFrame.position = Vec3 { 100, 0, 0 };
    zone->Run(5.0f);
    EXPECT_EQ(zone->soundHandle, -1);
    EXPECT_EQ(m_manager->GetControls().Count(), 0);

    // Staying inside, it plays once when its timer has run out and re-arms.
    ViewFrame.position = Vec3 { 0, 0, 0 };
    for (int i = 0; i < 5 && zone->soundHandle == -1; ++i)
        zone->Run(0.5f);
    ASSERT_NE(Slot(*zone), nullptr);
    EXPECT_TRUE(Slot(*zone)->IsPlaying());
    EXPECT_FLOAT_EQ(zone->timer, 2.0f);
}

TEST_F(ZoneTest, ALoopedZoneSoundFadesOutAndStopsWhenLeft)
{
    auto zone = SoundZone("SZ_LOOP");
    zone->timer = 0.0f;
    zone->remaining = 1.0f;
    zone->Run(0.1f);
    ASSERT_NE(Slot(*zone), nullptr);
    EXPECT_TRUE(Slot(*zone)->IsPlaying());
    EXPECT_FALSE(Slot(*zone)->IsFading());
    zone->Run(0.3f);
    EXPECT_FALSE(Slot(*zone)->IsFading());
    zone->Run(0.2f); // 0.4 s left: the last half second fades
    ASSERT_NE(Slot(*zone), nullptr);
    EXPECT_TRUE(Slot(*zone)->IsFading());
    zone->Run(0.5f);
    EXPECT_EQ(zone->soundHandle, -1);
    EXPECT_GT(zone->timer, 0.0f) << "re-armed";

    zone->timer = 0.0f;
    zone->remaining = 1.0f;
    zone->Run(0.1f);
    ASSERT_NE(zone->soundHandle, -1);
    ViewFrame.position = Vec3 { 100, 0, 0 };
    zone->Run(0.1f);
    EXPECT_EQ(zone->soundHandle, -1);
    EXPECT_EQ(m_manager->GetControls().Count(), 0);
}

TEST_F(ZoneTest, ASoundZoneWithoutARowStaysSilent)
{
    auto zone = SoundZone("SZ_NONE");
    EXPECT_EQ(zone->rowData, nullptr);
    for (int i = 0; i < 20; ++i)
        zone->Run(1.0f);
    EXPECT_EQ(zone->soundHandle, -1);
    EXPECT_EQ(m_manager->GetControls().Count(), 0);
}

// The observer keeps its engine hum looping while it is near the camera and stops it far away.
TEST_F(ZoneTest, AnObserverHumsOnlyNearTheCamera)
{
    g_FlyTehManager.Init(nullptr);
    XDynamicArray<SRoadNode>& nodes = g_RoadManager.Nodes();
    nodes.SetSize(0);
    SRoadNode node {};
    node.position[0] = 500.0f;
    nodes.Add(node);
    auto* observer = new CFlyTehObject;
    ObjectList.AddObject(observer);
    observer->Init(kIdentity, MakeNameKey32("FTO_OBSERVER"));
    ASSERT_EQ(observer->currentNode, 0);
    observer->velocity = Vec3 { 10, 0, 0 };
    observer->Run();
    SSoundControl* control = m_manager->GetControl(observer->engineSound);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->slot->IsPlaying());
    EXPECT_EQ(control->countsAsLoop, 1);

    ViewFrame.position = Vec3 { 5000, 0, 0 };
    observer->Run();
    EXPECT_EQ(observer->engineSound, -1);
    EXPECT_EQ(m_manager->GetControls().Count(), 0);
    nodes.SetSize(0);
}

} // namespace
