// Scenery and markers made from test tables: the collision flags a stone, a tree and a lantern take
// from their radius and row, the map cover's radius and texture, the lantern's darkness, the light
// source, the observer's road walk and the road piece's row.
#include "tests/world/db/world_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "platform/win/text.h"
#include "render/CModelManager.h"
#include "world/db/CMapCoverManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CStoneManager.h"
#include "world/db/CTreeManager.h"
#include "world/objects/CAnomalZoneObject.h"
#include "world/objects/CFlyTehObject.h"
#include "world/objects/CHelperObject.h"
#include "world/objects/CLampObject.h"
#include "world/objects/CLightObject.h"
#include "world/objects/CMapCoverObject.h"
#include "world/objects/CRoadObject.h"
#include "world/objects/CStoneObject.h"
#include "world/objects/CTreeObject.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"

namespace {

class SceneryTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({
            { "Модели", "[MOD_UNIT]\nFilename=m.mdl\nRadius=1\n" },
            { "Камни", "[ST_ROCK]\nModel=MOD_UNIT\n" },
            { "Деревья", "[TR_OAK]\nModel=MOD_UNIT\n[TR_GHOST]\nModel=MOD_UNIT\nNOSOLID=1\n" },
            { "Покрытие", "[COVER]\n" },
            { "Фонари",
                "[LMP_A]\nModel=MOD_UNIT\nLIMIT=0.5\nRADIUS=60\nCOLOR=0xFF8000\n"
                "[LMP_GHOST]\nModel=MOD_UNIT\nSCALE=0.25\n" },
            { "Дороги", "[ROAD_A]\nModel=MOD_UNIT\n[ROAD_B]\nModel=MOD_UNIT\n" },
            { "Хелперы", "[HLP_A]\nModel=MOD_UNIT\nTYPE=1\n" },
            { "Anomal", "[ANM_A]\nModel=MOD_UNIT\nTYPE=1\n" },
        }));
        models.Init(CP1251("Модели"));
        g_pModelManager = &models;
        ZJEngine.ZJInit();
    }
    void TearDown() override
    {
        g_pModelManager = nullptr;
        WorldDbTest::TearDown();
    }

    // A placement of the scale at (100, 200, 0), turned by the heading.
    static Matrix4 Placement(float scale, float heading = 0.0f)
    {
        Matrix4 m;
        Matrix4Identity(m);
        m.m[0] = std::cos(heading) * scale;
        m.m[1] = std::sin(heading) * scale;
        m.m[4] = -std::sin(heading) * scale;
        m.m[5] = std::cos(heading) * scale;
        m.m[10] = scale;
        m.m[12] = 100.0f;
        m.m[13] = 200.0f;
        return m;
    }

    CModelManager models;
};

TEST_F(SceneryTest, StonesAreSolidOnlyBelowRadiusTwo)
{
    for (const float scale : { 1.0f, 1.99f, 2.0f, 5.0f }) {
        SCOPED_TRACE(scale);
        CStoneObject stone;
        stone.Init(Placement(scale).m, MakeNameKey32("ST_ROCK"));
        EXPECT_FLOAT_EQ(stone.radius, scale);
        EXPECT_EQ(stone.solid, scale < 2.0f ? 1 : 0);
        EXPECT_EQ(stone.hitByRays, 1);
        EXPECT_EQ(stone.runs, 1) << "only Run advances its particle instance";
    }
    CStoneObject unknown;
    EXPECT_THROW(unknown.Init(Placement(1).m, MakeNameKey32("ST_NONE")), XRangeError);
}

TEST_F(SceneryTest, TreesTakeRaysAboveTwentyAndSolidityBelowThirty)
{
    struct Case {
        const char* type;
        float scale;
        uint8_t rays;
        uint8_t solid;
    };
    for (const Case& c : { Case { "TR_OAK", 10.0f, 0, 1 }, Case { "TR_OAK", 20.0f, 0, 1 },
             Case { "TR_OAK", 25.0f, 1, 1 }, Case { "TR_OAK", 30.0f, 1, 0 }, Case { "TR_OAK", 40.0f, 1, 0 },
             Case { "TR_GHOST", 40.0f, 0, 1 } }) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.scale);
        CTreeObject tree;
        tree.Init(Placement(c.scale).m, MakeNameKey32(c.type));
        EXPECT_FLOAT_EQ(tree.radius, c.scale);
        EXPECT_EQ(tree.hitByRays, c.rays);
        EXPECT_EQ(tree.solid, c.solid);
    }
}

TEST_F(SceneryTest, MapCoverRadiusIsTwentyTimesTheScaleAtMostOneHundredFifty)
{
    for (const float scale : { 1.0f, 7.5f, 10.0f }) {
        SCOPED_TRACE(scale);
        CMapCoverObject cover;
        cover.Init(Placement(scale, 0.5f).m, MakeNameKey32("COVER"));
        EXPECT_FLOAT_EQ(cover.radius, std::min(20.0f * scale, 150.0f));
        EXPECT_EQ(cover.meshBuilt, 0);
        // The cover's centre maps onto the texture's centre whatever the heading.
        const Matrix4& t = cover.textureMatrix;
        EXPECT_NEAR(0.5f * t.m[0] + 0.5f * t.m[4] + t.m[8], 0.5f, 1e-5f);
        EXPECT_NEAR(0.5f * t.m[1] + 0.5f * t.m[5] + t.m[9], 0.5f, 1e-5f);
    }
}

TEST_F(SceneryTest, LightSourcesAreWhiteSteadyPointLightsThatPulseWithAPeriod)
{
    CLightObject source;
    source.Init(Placement(1).m, MakeNameKey32("Источник"));
    const plat::gfx::Light& light = source.light;
    EXPECT_EQ(light.type, plat::gfx::LightType::Point);
    EXPECT_FLOAT_EQ(light.diffuse.g, 1.0f);
    EXPECT_FLOAT_EQ(light.specular.b, 1.0f);
    EXPECT_FLOAT_EQ(light.ambient.r, 0.4f);
    EXPECT_FLOAT_EQ(light.range, 100.0f);
    EXPECT_FLOAT_EQ(light.attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(light.attenuation1, 0.01f);
    EXPECT_FLOAT_EQ(light.position.y, 200.0f);
    source.SetPosition(Vec3 { 5, 6, 7 });
    EXPECT_FLOAT_EQ(light.position.z, 7.0f);

    LightWare.ClearLights();
    const float savedClock = GameClockF32;
    GameClockF32 = 0.25f; // a quarter period: the pulse at its top
    source.PreDraw();
    EXPECT_FLOAT_EQ(light.diffuse.r, 1.0f); // steady
    source.period = 1.0f;
    source.PreDraw();
    EXPECT_FLOAT_EQ(light.diffuse.r, 1.5f);
    EXPECT_FLOAT_EQ(light.ambient.g, 0.6f);
    EXPECT_EQ(LightWare.Count(), 2);
    LightWare.ClearLights();
    GameClockF32 = savedClock;
}

// Road nodes at the points, linked as given.
void UseRoad(const std::vector<Vec3>& points, const std::vector<std::vector<int32_t>>& links)
{
    XDynamicArray<SRoadNode>& nodes = g_RoadManager.Nodes();
    nodes.SetSize(0);
    for (size_t i = 0; i < points.size(); ++i) {
        SRoadNode node {};
        node.id = int32_t(i);
        node.position[0] = points[i].x;
        node.position[1] = points[i].y;
        node.position[2] = points[i].z;
        for (const int32_t link : links[i])
            node.links[node.linkCount++] = link;
        nodes.Add(node);
    }
}

TEST_F(SceneryTest, ObserversWalkTheRoadTurnBackAtDeadEndsAndEndWithoutANode)
{
    const CViewFrame savedView = ViewFrame;
    ViewFrame.position = Vec3 { 1.0e5f, 1.0e5f, 0 }; // far from the camera
    UseRoad({ { 100, 200, 0 }, { 600, 200, 0 } }, { { 1 }, { 0 } });
    auto* observer = new CFlyTehObject;
    ObjectList.AddObject(observer);
    observer->Init(Placement(1).m, MakeNameKey32("FTO_OBSERVER"));
    EXPECT_EQ(observer->currentNode, 0);
    EXPECT_EQ(observer->previousNode, -1);

    // At its node: on to the only link, then back from the dead end.
    observer->Run();
    EXPECT_EQ(observer->currentNode, 1);
    EXPECT_EQ(observer->previousNode, 0);
    observer->PickNextNode();
    EXPECT_EQ(observer->currentNode, 0);
    observer->PickNextNode();

    // Far from the camera it flies straight at 277.77777 units a second.
    const float savedFrame = FrameTime;
    FrameTime = 0.1f;
    const Vec3 before = observer->frame.position;
    observer->Run();
    EXPECT_EQ(observer->moves, 0);
    const Vec3 moved { observer->frame.position.x - before.x, observer->frame.position.y - before.y,
        observer->frame.position.z - before.z };
    EXPECT_NEAR(Vec3Length(moved), 27.777777f, 1e-3f);
    EXPECT_GT(moved.x, 27.7f); // towards node 1
    FrameTime = savedFrame;
    EXPECT_EQ(observer->alive, 1);

    observer->currentNode = -1;
    observer->Run();
    EXPECT_EQ(observer->alive, 0);
    ViewFrame = savedView;
}

TEST_F(SceneryTest, AnObserverWithoutARowIsLoggedAndEndsAtItsFirstRun)
{
    UseRoad({ { 100, 200, 0 } }, { {} });
    auto* observer = new CFlyTehObject;
    ObjectList.AddObject(observer);
    observer->Init(Placement(1).m, MakeNameKey32("FTO_NONE"));
    EXPECT_EQ(LogCount("CFlyTehObject::Init FTO_NONE not found"), 1);
    EXPECT_EQ(observer->currentNode, 0);
    observer->Run();
    EXPECT_EQ(observer->alive, 0);
}

TEST_F(SceneryTest, LanternsCollideByRadiusAndRowAndLightRadiusAboveThemselves)
{
    for (const float scale : { 1.0f, 19.9f, 20.0f }) {
        SCOPED_TRACE(scale);
        CLampObject lamp;
        lamp.Init(Placement(scale).m, MakeNameKey32("LMP_A"));
        EXPECT_EQ(lamp.solid, scale < 20.0f ? 1 : 0);
        EXPECT_EQ(lamp.hitByRays, 1);
        EXPECT_FLOAT_EQ(lamp.range, 60.0f);
        EXPECT_FLOAT_EQ(lamp.light.range, 60.0f);
        EXPECT_FLOAT_EQ(lamp.light.position.z, scale);
        EXPECT_FLOAT_EQ(lamp.light.attenuation2, 0.001f);
    }
    CLampObject ghost;
    ghost.Init(Placement(1).m, MakeNameKey32("LMP_GHOST"));
    EXPECT_EQ(ghost.hitByRays, 0) << "SCALE 0.25";
    EXPECT_FLOAT_EQ(ghost.range, 125.0f) << "RADIUS 0";
    CLampObject unknown;
    EXPECT_THROW(unknown.Init(Placement(1).m, MakeNameKey32("LMP_NONE")), XRangeError);
}

TEST_F(SceneryTest, ALanternsDarknessReadsTheLowBytesOfTheHoursAmbientAndSun)
{
    struct Case {
        uint32_t ambient;
        uint32_t sun;
        float limit;
        float darkness;
    };
    for (const Case& c : { Case { 0xFF000080, 0, 0.0f, -0.5f }, Case { 0x12345600, 0xABCDEF40, 0.25f, -1.0f },
             Case { 0xFFFFFFFF, 0xFFFFFFFF, 0.5f, 255.0f / 256.0f + 255.0f / 128.0f - 2.0f } }) {
        SCOPED_TRACE(c.ambient);
        EXPECT_FLOAT_EQ(CLampObject::Darkness(c.ambient, c.sun, c.limit), c.darkness);
    }
}

TEST_F(SceneryTest, ALanternIsDarkInABrightHourAndLitByDistanceInADarkOne)
{
    const CViewFrame savedView = ViewFrame;
    const SWeatherState savedWeather = Environment.current;
    const float savedClock = GameClockF32;
    GameClockF32 = 0.0f;
    CLampObject lamp;
    lamp.Init(Placement(1).m, MakeNameKey32("LMP_A"));
    LightWare.ClearLights();

    ViewFrame.position = Vec3 { 100, 250, 0 };
    Environment.current.ambient = 0xFFFFFFFF;
    Environment.current.sunColour = 0xFFFFFFFF;
    lamp.PreDraw();
    EXPECT_EQ(lamp.lightLevel, 0.0f);
    EXPECT_EQ(lamp.glowLevel, 0.0f) << "no halo";
    EXPECT_EQ(lamp.intensity, 0.0f);
    EXPECT_EQ(LightWare.Count(), 0) << "no light";

    Environment.current.ambient = 0xFF000000;
    Environment.current.sunColour = 0xFF000000;
    struct Case {
        float distance;
        float light;
        float morph;
        float fade;
        int lights;
    };
    for (const Case& c : { Case { 50, 1.0f, 1.0f, 1.0f, 1 }, Case { 300, 1.0f, 0.75f, 1.0f, 2 },
             Case { 800, 1.0f, 0.5f, 0.4f, 3 }, Case { 1000, 0.0f, 0.0f, 0.0f, 3 } }) {
        SCOPED_TRACE(c.distance);
        ViewFrame.position = Vec3 { 100, 200 + c.distance, 0 };
        lamp.PreDraw();
        EXPECT_FLOAT_EQ(lamp.lightLevel, c.light);
        EXPECT_NEAR(lamp.morphLevel, c.morph, 1e-5f);
        EXPECT_NEAR(lamp.intensity, 3.0f * c.fade, 1e-4f) << "sin(id + 2t) + 3 at id 0, t 0";
        EXPECT_EQ(LightWare.Count(), c.lights);
        if (c.light > 0.0f) {
            EXPECT_NEAR(lamp.light.diffuse.g, lamp.intensity * 128.0f / 255.0f, 1e-5f);
            EXPECT_NEAR(lamp.light.ambient.r, 0.25f * lamp.intensity, 1e-5f);
        }
    }
    LightWare.ClearLights();
    Environment.current = savedWeather;
    ViewFrame = savedView;
    GameClockF32 = savedClock;
}

TEST_F(SceneryTest, RoadPiecesTakeTheFirstRowAndLogAnIdFoundFurtherDown)
{
    const std::string line = "Фигня какая-то c дорогами";
    struct Case {
        const char* id;
        int logged;
    };
    for (const Case& c : { Case { "ROAD_A", 0 }, Case { "ROAD_B", 1 }, Case { "ROAD_NONE", 1 } }) {
        SCOPED_TRACE(c.id);
        CRoadObject road;
        road.Init(Placement(2).m, MakeNameKey32(c.id));
        EXPECT_EQ(road.typeIndex, 0);
        EXPECT_FLOAT_EQ(road.radius, 2.0f);
        EXPECT_EQ(LogCount(line), c.logged);
    }

    CRoadObject road;
    road.Init(Placement(2).m, MakeNameKey32("ROAD_A"));
    CStoneObject a, b, c;
    road.links.Add(&a);
    road.links.Add(&b);
    road.ProcessDelete(&c);
    road.ProcessDelete(&a);
    ASSERT_EQ(road.links.Count(), 1);
    EXPECT_EQ(road.links.At(0), &b);

    // The band to a point 30 east, 40 north and 10 up: 50 long, 10 high, over the midpoint.
    const Matrix4 band = road.BandMatrix(Vec3 { 130, 240, 10 });
    EXPECT_NEAR(std::hypot(band.m[0], band.m[1], band.m[2]), 50.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(band.m[8], band.m[9], band.m[10]), 10.0f, 1e-4f);
    EXPECT_NEAR(band.m[0] * band.m[4] + band.m[1] * band.m[5] + band.m[2] * band.m[6], 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(band.m[12], 115.0f);
    EXPECT_FLOAT_EQ(band.m[13], 220.0f);
    EXPECT_FLOAT_EQ(band.m[14], 5.0f + 2.0f) << "raised by the radius";

    UseTables(AllTables({}));
    ZJEngine.ZJInit();
    CRoadObject orphan;
    EXPECT_THROW(orphan.Init(Placement(1).m, MakeNameKey32("ROAD_A")), XRangeError);
}

TEST_F(SceneryTest, HelpersAndAnomalyZonesTakeTheirRowAndRadius)
{
    CHelperObject helper;
    helper.Init(Placement(3).m, MakeNameKey32("HLP_A"));
    EXPECT_EQ(helper.typeIndex, 0);
    EXPECT_FLOAT_EQ(helper.radius, 3.0f);
    EXPECT_EQ(helper.hitByRays, 0);
    CAnomalZoneObject zone;
    zone.Init(Placement(4).m, MakeNameKey32("ANM_A"));
    EXPECT_EQ(zone.ModelIndex(), 0);
    EXPECT_FLOAT_EQ(zone.radius, 4.0f);
    CHelperObject noHelper;
    EXPECT_THROW(noHelper.Init(Placement(1).m, MakeNameKey32("HLP_NONE")), XRangeError);
    CAnomalZoneObject noZone;
    EXPECT_THROW(noZone.Init(Placement(1).m, MakeNameKey32("ANM_NONE")), XRangeError);
}

} // namespace
