// The scenery's drawing on the null device over a flat test location: every drawing class submits
// geometry, the map cover waits for its ground, a lantern lays its pool and halo only in a dark
// hour, and a stone's particle instance advances only in the Run after its effects were drawn.
#include "tests/render/model_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "tools/map/map_writer.h"
#include "world/db/CZJEngine.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CFlyTehObject.h"
#include "world/objects/CLampObject.h"
#include "world/objects/CMapCoverObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CRoadObject.h"
#include "world/objects/CStoneObject.h"
#include "world/objects/CTreeObject.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kAt[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 300, 300, 0, 1 };

class SceneryDrawTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        WriteModel("stone.mdl", Kind("stone"));
        WriteModel("smoky.mdl", Kind("missile"));
        WriteModel("tree.mdl", Kind("tree"));
        WriteModel("lamp.mdl", Kind("thing"));
        Models({ { "MOD_STONE", "stone.mdl", "0" }, { "MOD_SMOKY", "smoky.mdl", "0" },
            { "MOD_TREE", "tree.mdl", "0" }, { "MOD_LAMP", "lamp.mdl", "0" },
            { "MOD_TEH_OBSERVER", "stone.mdl", "0" } });
        AddTable(CP1251("Камни"),
            { { "ST_ROCK", { { "Model", "MOD_STONE" } } }, { "ST_SMOKY", { { "Model", "MOD_SMOKY" } } } });
        AddTable(CP1251("Деревья"), { { "TR_OAK", { { "Model", "MOD_TREE" }, { "Flexibility", "0.5" } } } });
        AddTable(CP1251("Покрытие"),
            { { "COV_LIT", { { "Model", "TEX_SAMPLECOLOR" }, { "TYPE", "0" } } },
                { "COV_GLOW", { { "Model", "TEX_SAMPLECOLOR" }, { "TYPE", "1" }, { "PERIOD", "2" } } } });
        AddTable(CP1251("Фонари"),
            { { "LMP_A",
                { { "Model", "MOD_LAMP" }, { "GLOW", "TEX_WIDE" }, { "SHADOW", "TEX_SAMPLECOLOR" },
                    { "LIMIT", "0.5" }, { "RADIUS", "60" } } } });
        AddTable(CP1251("Дороги"), { { "ROAD_MAIN", { { "Model", "MOD_STONE" } } } });
        AddTable(CP1251("Организации"), { { "ORG_PLAYER", { { "ICON", "1" } } } });
        ZJEngine.ZJInit();
        ObjectList.Clear();
        Location.Purge();
        m_savedView = ViewFrame;
        ViewFrame.position = Vec3 { 300, 320, 20 };
        m_savedWeather = Environment.current;
        LightWare.ClearLights();
        EffectRenderManager.Init(0);
        GameClockF32 = 0.0f;
        FrameTime = 0.02f;
    }
    void TearDown() override
    {
        EffectRenderManager.FreeBuffers();
        LightWare.ClearLights();
        ObjectList.Clear();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        Environment.current = m_savedWeather;
        ViewFrame = m_savedView;
        ModelTest::TearDown();
    }

    // A flat one-block location with its cell loaded at full resolution.
    void UseFlatMap()
    {
        WriteBytes("Data/flat.zjp", zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(65, 65)));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\flat.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.LoadCell(0, 0, 0);
    }

    static void Hour(uint32_t ambient, uint32_t sun)
    {
        Environment.current.ambient = ambient;
        Environment.current.sunColour = sun;
    }

    size_t Draws() { return Null().Draws().size(); }
    // Draws since from whose first texture is the row's.
    int DrawsWith(const char* texture, size_t from)
    {
        CTexture* t = m_textures->GetTexture(FindTextureId(texture));
        const uint32_t id = t && t->GetTexture() ? t->GetTexture()->Id() : 0;
        int n = 0;
        const auto& draws = Null().Draws();
        for (size_t i = from; i < draws.size(); ++i)
            n += draws[i].textures[0] == id ? 1 : 0;
        return n;
    }

    CViewFrame m_savedView;
    SWeatherState m_savedWeather {};
};

TEST_F(SceneryDrawTest, EveryDrawingClassSubmitsGeometry)
{
    UseFlatMap();
    Hour(0, 0);
    CStoneObject stone;
    stone.Init(kAt, MakeNameKey32("ST_ROCK"));
    CTreeObject tree;
    tree.Init(kAt, MakeNameKey32("TR_OAK"));
    CMapCoverObject lit;
    lit.Init(kAt, MakeNameKey32("COV_LIT"));
    CMapCoverObject glowing;
    glowing.Init(kAt, MakeNameKey32("COV_GLOW"));
    CLampObject lamp;
    lamp.Init(kAt, MakeNameKey32("LMP_A"));
    lamp.PreDraw();
    CFlyTehObject observer;
    observer.Init(kAt, MakeNameKey32("FTO_OBSERVER"));
    CRoadObject road;
    road.Init(kAt, MakeNameKey32("ROAD_MAIN"));
    road.links.Add(&stone);
    const std::pair<const char*, CZJObject*> drawn[]
        = { { "stone", &stone }, { "tree", &tree }, { "lit cover", &lit }, { "glowing cover", &glowing },
              { "lantern", &lamp }, { "observer", &observer }, { "road", &road } };
    for (const auto& [what, object] : drawn) {
        SCOPED_TRACE(what);
        const size_t before = Draws();
        object->Draw();
        object->DrawEffect(0);
        EXPECT_GT(Draws(), before);
    }
    EXPECT_FLOAT_EQ(observer.frame2.matrix.m[0], -4.0f) << "x negated and scaled by 4";
    EXPECT_FLOAT_EQ(observer.frame2.matrix.m[6], 4.0f) << "y and z exchanged";
}

TEST_F(SceneryDrawTest, TreesAndBrightLanternsGoThroughTheEffectList)
{
    Hour(0, 0);
    CTreeObject tree;
    tree.Init(kAt, MakeNameKey32("TR_OAK"));
    CLampObject lamp;
    lamp.Init(kAt, MakeNameKey32("LMP_A"));
    lamp.PreDraw();
    const int before = EffectRenderManager.EffectCount();
    tree.Draw();
    lamp.Draw();
    EXPECT_EQ(EffectRenderManager.EffectCount(), before + 2);
    Hour(0xFFFFFFFF, 0xFFFFFFFF);
    lamp.PreDraw();
    lamp.Draw();
    EXPECT_EQ(EffectRenderManager.EffectCount(), before + 2) << "no halo in daylight";
}

TEST_F(SceneryDrawTest, ATreeSwaysItsCrownThroughTheSecondBlendMatrix)
{
    CTreeObject tree;
    tree.Init(kAt, MakeNameKey32("TR_OAK"));
    ASSERT_GT(tree.radius, 0.0f);
    // A quarter period of sin(3 / sqrt(radius) x t): the full angle, flexibility x sqrt(200) x 0.01.
    const float t = std::numbers::pi_v<float> * 0.5f * std::sqrt(tree.radius) / 3.0f;
    EXPECT_NEAR(tree.SwayAngle(t), 0.5f * std::sqrt(200.0f) * 0.01f, 1e-5f);
    GameClockF32 = t;
    tree.DrawEffect(0);
    plat::gfx::Matrix blend {};
    ASSERT_EQ(Device().GetTransform(plat::gfx::WorldMatrix(1), blend), plat::gfx::Result::Ok);
    const Matrix4 sway = tree.SwayMatrix(t);
    EXPECT_NEAR(blend.m[0][0], sway.m[0], 1e-4f);
    EXPECT_NEAR(blend.m[0][2], sway.m[2], 1e-4f);
    EXPECT_NEAR(blend.m[2][0], sway.m[8], 1e-4f);
    EXPECT_LT(sway.m[0], 1.0f) << "turned about the model's second axis";
}

TEST_F(SceneryDrawTest, AMapCoverWaitsForItsGroundAndMapsItsSquareOntoTheTexture)
{
    auto* covered = new CMapCoverObject;
    ObjectList.AddObject(covered);
    covered->Init(kAt, MakeNameKey32("COV_LIT"));
    CMapCoverObject& cover = *covered;
    const size_t before = Draws();
    cover.Draw();
    EXPECT_EQ(cover.meshBuilt, 0);
    EXPECT_EQ(Draws(), before) << "no ground yet";

    UseFlatMap();
    cover.Draw();
    EXPECT_EQ(cover.meshBuilt, 1);
    EXPECT_GT(Draws(), before);
    ASSERT_GT(cover.groundMesh.vertexCount, 0u);
    // Position, a white diffuse, then the patch's coordinate over the cover's square.
    for (uint32_t i = 0; i < cover.groundMesh.vertexCount; ++i) {
        const uint8_t* v = cover.groundMesh.vertices + size_t(i) * cover.groundMesh.stride;
        float p[3], uv[4];
        uint32_t diffuse = 0;
        std::memcpy(p, v, sizeof p);
        std::memcpy(&diffuse, v + 12, 4);
        std::memcpy(uv, v + 16, sizeof uv);
        EXPECT_EQ(diffuse, 0xFFFFFFFFu);
        EXPECT_NEAR(uv[0], (p[0] - (300.0f - cover.radius)) / (2.0f * cover.radius), 1e-5f);
        EXPECT_NEAR(uv[1], (p[1] - (300.0f - cover.radius)) / (2.0f * cover.radius), 1e-5f);
    }
    cover.SetPosition(Vec3 { 310, 300, 0 });
    EXPECT_EQ(cover.meshBuilt, 0);
}

TEST_F(SceneryDrawTest, ALanternLaysItsPoolAndHaloOnlyInTheDark)
{
    UseFlatMap();
    CLampObject lamp;
    lamp.Init(kAt, MakeNameKey32("LMP_A"));

    Hour(0xFFFFFFFF, 0xFFFFFFFF);
    lamp.PreDraw();
    size_t before = Draws();
    lamp.Draw();
    EffectRenderManager.RenderEffects();
    EffectRenderManager.ResetFrame();
    EXPECT_EQ(DrawsWith("TEX_WIDE", before), 0) << "halo";
    EXPECT_EQ(lamp.poolBuilt, 0) << "no pool in daylight";
    EXPECT_EQ(LightWare.Count(), 0);

    Hour(0, 0);
    lamp.PreDraw();
    before = Draws();
    lamp.Draw();
    EffectRenderManager.RenderEffects();
    EXPECT_EQ(lamp.poolBuilt, 1);
    EXPECT_EQ(DrawsWith("TEX_WIDE", before), 1) << "halo";
    EXPECT_GE(DrawsWith("TEX_SAMPLECOLOR", before), 2) << "the pool and the model";
    EXPECT_EQ(LightWare.Count(), 1);
}

TEST_F(SceneryDrawTest, AStoneInstanceAdvancesOnlyAfterItsEffectsWereDrawn)
{
    CStoneObject stone;
    stone.Init(kAt, MakeNameKey32("ST_SMOKY"));
    EXPECT_EQ(stone.runs, 1);
    stone.Run();
    EXPECT_EQ(stone.effectSphereCount, 0) << "no instance yet";
    const int before = EffectRenderManager.EffectCount();
    stone.Draw();
    ASSERT_NE(stone.instance, nullptr);
    ASSERT_EQ(stone.instance->hasEmitter, 1);
    EXPECT_EQ(EffectRenderManager.EffectCount(), before + 1);
    stone.Run();
    EXPECT_EQ(stone.effectSphereCount, 0) << "its effects were not drawn";
    stone.DrawEffect(0);
    EXPECT_EQ(stone.instancePending, 1);
    stone.Run();
    EXPECT_EQ(stone.instancePending, 0);
    EXPECT_EQ(stone.effectSphereCount, 1);
    EXPECT_EQ(stone.EffectSphere(0).active, 1);
    stone.ReleaseDeviceObjects();
    EXPECT_EQ(stone.instance, nullptr);
}

} // namespace
