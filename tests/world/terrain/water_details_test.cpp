// The water pass, the detail objects and the detail mesh on the null device: writer-made maps,
// a texture, model and surface table of their own, the shader slots and the location's rings.
#include "tests/world/terrain/terrain_fixture.h"

#include "foundation/XRandom.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/win/text.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tests/support/device_windows.h"
#include "tests/support/ini_tables.h"
#include "tools/model/model_writer.h"
#include "tools/texture/tm_file.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/DetailPatterns.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>

namespace {

using plat::gfx::Transform;

constexpr uint16_t kGrass = 1;
constexpr uint16_t kSand = 2;

struct SDetailVertex {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse, specular;
    float u, v;
};

class WaterDetailsTest : public TerrainTest {
protected:
    void TearDown() override
    {
        EffectRenderManager.FreeBuffers();
        g_pLandMaterials = nullptr;
        m_materials.reset();
        g_pModelManager = nullptr;
        m_models.reset();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        Mesh::ResetStreamCache();
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        Environment.sunVector = Vec3 {};
        Environment.sunBrightness = 0.0f;
        TerrainTest::TearDown();
    }

    // The device (full or minimal caps), the tables and the managers. materials: extra surface
    // rows after GRASS (GID 1, tufts and pebbles, detail texture) and SAND (GID 2, bump flags).
    void Start(bool minimal = false, const std::string& extraMaterials = {})
    {
        // The detail objects come from the shared generator.
        SharedRandom.seed = 1;
        SharedRandom.last = 0.0f;
        if (minimal) {
            auto& caps = plat::gfx::null::GetConfig().hal.caps;
            caps = plat::gfx::MinimalCaps(caps);
        }
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
        std::string error;
        ASSERT_TRUE(zoq::tools::texture::WritePng("t.png", 4, 4, zoq::tools::texture::Bytes(64, 200), error));
        for (const char* kind : { "tuft", "pebble" }) {
            SModelFile file;
            ASSERT_TRUE(zoq::tools::model::MakeModel(kind, "TEX_A", file));
            zoq::test::WriteBytes(std::string(kind) + ".mdl", zoq::tools::model::EncodeModelFile(file));
        }
        const std::string textures
            = "[TEX_A]\nFilename=t.png\n[TEX_DET]\nFilename=t.png\n[TEX_BUMP]\nFilename=t.png\n"
              "[TEX_WATER]\nFilename=t.png\n";
        const std::string models
            = "[MOD_TUFT]\nFilename=tuft.mdl\nRadius=0\n[MOD_PEBBLE]\nFilename=pebble.mdl\nRadius=0\n";
        const std::string surfaces
            = "[GRASS]\nGID=1\nTexture=TEX_A\nTextureDetail=TEX_DET\nMODEL1=MOD_TUFT\n"
              "FREQ1=1\nTYPE1=0\nMODEL2=MOD_PEBBLE\nFREQ2=1\nTYPE2=2\n"
              "[SAND]\nGID=2\nTexture=TEX_A\nTextureDetail=TEX_DET\nTextureBump=TEX_BUMP\n"
              "SPECDETAIL=1\nDIFFBUMP=1\n"
            + extraMaterials;
        zoq::test::UseIniTables({ { CP1251("Текстуры"), textures }, { CP1251("Модели"), models },
                                    { CP1251("Поверхности"), surfaces } },
            "root.ini");
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
        m_shaders = std::make_unique<TexShaderManager>(true);
        ASSERT_TRUE(m_shaders->Init(false));
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        m_models->Init(CP1251("Модели"));
        g_pModelManager = m_models.get();
        m_models->CreateRenderBuffer("MAP3", 0x15a, 13000, 65534, 1, false);
        m_models->CreateRenderBuffer("MAPDETAILS", 0x1d2, 10000, 55000, 1, false);
        m_materials = std::make_unique<CLandMaterials>();
        m_materials->Init(CP1251("Поверхности"));
        g_pLandMaterials = m_materials.get();
        EffectRenderManager.Init(0);
    }

    static plat::gfx::null::NullDevice& Null()
    {
        return *plat::gfx::null::FromDevice(*g_Graphic.GetDevice());
    }
    static plat::gfx::Matrix Get(Transform t)
    {
        plat::gfx::Matrix m;
        g_Graphic.GetDevice()->GetTransform(t, m);
        return m;
    }

    // A 129 x 129 map (2 x 2 cells) of one material, water (surface 0) over the first cell.
    static LocationMap Pond(uint16_t material, const zoq::tools::map::SurfaceRecord& surface)
    {
        LocationMap map = LocationMap::Flat(129, 129);
        for (auto& m : map.materials)
            m = material;
        map.surfaces.push_back(surface);
        map.blockSurfaces = { 0, -1, -1, -1 };
        for (int gy = 0; gy <= 64; ++gy)
            for (int gx = 0; gx <= 64; ++gx)
                map.water[map.PointIndex(gx, gy)] = 1;
        return map;
    }
    static zoq::tools::map::SurfaceRecord Water(int kind, float amplitude, int atlas, float period)
    {
        zoq::tools::map::SurfaceRecord s;
        s.level = 5.0f;
        s.kind = kind;
        s.waveAmplitude = amplitude;
        s.waveSpeed = 1.0f;
        s.atlas = atlas;
        s.atlasPeriod = period;
        s.texture1 = "TEX_WATER";
        s.texture2 = "TEX_WATER";
        return s;
    }
    // Loads the map, resolves the water textures and runs the visibility pass from the eye.
    void Frame(const LocationMap& map, const Vec3& eye, const Vec3& forward)
    {
        Load(map);
        for (MapSurface& surface : Location.surfaces)
            surface.texture1Index = surface.texture2Index = m_textures->FindTexture("TEX_WATER");
        LookFrom(eye, forward);
        Location.PreRender();
        Location.PreRender();
        // The terrain pass runs the quad test before water and detail objects.
        for (int i = 0; i < Location.visibleCount; ++i)
            Location.SetQuadLevels(Location.visibleCells[i].column, Location.visibleCells[i].row);
    }

    zoq::test::FakeWindow m_window;
    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<CLandMaterials> m_materials;
};

const Vec3 kDown { 0.0f, 0.0f, -1.0f };

TEST(DetailPatternTest, everyPatternIsCounterClockwiseCoversTheBlockAndUsesOnlyItsPoints)
{
    const uint8_t zero[24] = { 0, 1, 4, 4, 3, 0, 1, 2, 4, 5, 4, 2, 3, 4, 6, 7, 6, 4, 4, 5, 8, 8, 7, 4 };
    EXPECT_TRUE(std::equal(std::begin(zero), std::end(zero), kDetailPatterns[0].indices.begin()));
    EXPECT_EQ(kDetailPatterns[0].triangleCount, 8);
    for (int p = 0; p < 33; ++p) {
        const SDetailPattern& pattern = kDetailPatterns[size_t(p)];
        float area = 0.0f;
        std::set<int> seen;
        for (int t = 0; t < pattern.triangleCount; ++t) {
            int v[3];
            for (int k = 0; k < 3; ++k) {
                v[k] = pattern.indices[size_t(3 * t + k)];
                EXPECT_TRUE(pattern.used >> v[k] & 1) << "pattern " << p;
                seen.insert(v[k]);
            }
            const float ax = float(v[0] % 3), ay = float(v[0] / 3);
            const float cross = (float(v[1] % 3) - ax) * (float(v[2] / 3) - ay)
                - (float(v[1] / 3) - ay) * (float(v[2] % 3) - ax);
            EXPECT_GT(cross, 0.0f) << "pattern " << p << " triangle " << t;
            area += cross / 2.0f;
        }
        EXPECT_FLOAT_EQ(area, 4.0f) << "pattern " << p;
        EXPECT_EQ(int(seen.size()), std::popcount(unsigned(pattern.used))) << "pattern " << p;
    }
    // Bit 2 (the centre) changes nothing; the midpoints go with bits 0, 1, 3, 4.
    EXPECT_EQ(kDetailPatterns[4].used, kDetailPatterns[0].used);
    EXPECT_EQ(kDetailPatterns[27].used, 0x155);
    EXPECT_EQ(kDetailPatterns[31].triangleCount, 2);
    EXPECT_NE(kDetailPatterns[31].indices, kDetailPatterns[32].indices);
}

TEST(WaterAtlasTest, framesStepByPeriodOverNSquaredAndABadPeriodShowsFrameZero)
{
    struct Case {
        int side;
        float period;
        double t;
        int frame;
    };
    const Case cases[] = {
        { 4, 2.0f, 0.0, 0 },
        { 4, 2.0f, 0.124, 0 },
        { 4, 2.0f, 0.125, 1 },
        { 4, 2.0f, 1.99, 15 },
        { 4, 2.0f, 2.0, 0 },
        { 4, 2.0f, 2.25, 2 },
        { 4, 0.0f, 5.0, 0 },
        { 4, -1.0f, 5.0, 0 },
        { 4, NAN, 5.0, 0 },
        { 4, INFINITY, 5.0, 0 },
        { 0, 2.0f, 5.0, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CLocation::AtlasFrame(c.side, c.period, c.t), c.frame)
            << c.side << " " << c.period << " " << c.t;
}

TEST_F(WaterDetailsTest, waterIsDrawnOnlyWithTheCameraAboveItsLevel)
{
    Start(true);
    const LocationMap map = Pond(kGrass, Water(1, 0.0f, 0, 0.0f));
    Frame(map, Vec3 { 320.0f, 320.0f, 2.0f }, kDown);
    Null().ClearRecords();
    Location.CycleRenderWater();
    EXPECT_EQ(Location.waterCellsDrawn, 0);
    EXPECT_TRUE(Null().Draws().empty());
    Frame(map, Vec3 { 320.0f, 320.0f, 300.0f }, kDown);
    Null().ClearRecords();
    Location.CycleRenderWater();
    EXPECT_EQ(Location.waterCellsDrawn, 1);
    ASSERT_FALSE(Null().Draws().empty());
    // Still water: no vertex blending.
    for (const auto& draw : Null().Draws())
        EXPECT_EQ(draw.render[size_t(plat::gfx::RenderState::VertexBlend)], 0u);
}

TEST_F(WaterDetailsTest, kindTwoScrollsItsFirstTextureAndShowsTheAtlasFrameOnStageOne)
{
    Start(true);
    Frame(Pond(kGrass, Water(2, 1.0f, 4, 2.0f)), Vec3 { 320.0f, 320.0f, 300.0f }, kDown);
    GameClock = 0.3;
    Location.CycleRenderWater();
    const plat::gfx::Matrix scroll = Get(Transform::Texture0);
    EXPECT_FLOAT_EQ(scroll.m[2][0], float(std::sin(0.003)));
    EXPECT_FLOAT_EQ(scroll.m[2][1], float(std::cos(0.0051)));
    EXPECT_FLOAT_EQ(scroll.m[0][0], 1.0f);
    const plat::gfx::Matrix atlas = Get(Transform::Texture1);
    // Frame 2 of 16 at 0.3 s: column 2, row 0.
    EXPECT_FLOAT_EQ(atlas.m[0][0], 0.25f);
    EXPECT_FLOAT_EQ(atlas.m[2][0], 0.5f);
    EXPECT_FLOAT_EQ(atlas.m[2][1], 0.0f);
    // Waves: world matrices 0 and 1 at level + 4a and level + 4b.
    EXPECT_FLOAT_EQ(Get(Transform::World).m[3][2], 5.0f + 4.0f * float(std::cos(0.3)));
    EXPECT_FLOAT_EQ(Get(Transform::World1).m[3][2], 5.0f - 4.0f * float(std::sin(0.3)));
    GameClock = 0.0;
}

TEST_F(WaterDetailsTest, reflectingWaterWithoutAReflectionSetsNoProjectiveMatrixAndAtlasZeroNoTextureMatrix)
{
    Start(true);
    Frame(Pond(kGrass, Water(0, 0.0f, 0, 0.0f)), Vec3 { 320.0f, 320.0f, 300.0f }, kDown);
    g_Graphic.MutableCaps().reflectionTexture = true;
    const Transform stages[3] = { Transform::Texture0, Transform::Texture1, Transform::Texture2 };
    plat::gfx::Matrix before[3];
    for (int k = 0; k < 3; ++k)
        before[k] = Get(stages[k]);
    for (int handle : { -1, 0 }) {
        for (MapSurface& surface : Location.surfaces)
            surface.reflection = handle;
        Location.CycleRenderWater();
        for (int k = 0; k < 3; ++k) {
            const plat::gfx::Matrix m = Get(stages[k]);
            EXPECT_EQ(std::memcmp(&m, &before[k], sizeof m), 0) << "handle " << handle << " stage " << k;
        }
        EXPECT_EQ(Location.waterCellsDrawn, 1);
    }
}

TEST_F(WaterDetailsTest, theWaterShaderGetsItsConstantsUnderFullCaps)
{
    Start(false);
    ASSERT_EQ(m_shaders->BuiltVariant(23), 'A');
    Environment.current.ambient = 0xFF7F3F00u;
    Frame(Pond(kGrass, Water(0, 1.0f, 4, 2.0f)), Vec3 { 320.0f, 320.0f, 300.0f }, kDown);
    GameClock = 0.5;
    Location.CycleRenderWater();
    float c[4];
    g_Graphic.GetDevice()->GetVertexShaderConstant(10, c, 1);
    // Frame 4 of 16 at 0.5 s: row 1, column 0.
    EXPECT_FLOAT_EQ(c[0], 0.0f);
    EXPECT_FLOAT_EQ(c[1], 0.25f);
    EXPECT_FLOAT_EQ(c[2], 0.25f);
    g_Graphic.GetDevice()->GetVertexShaderConstant(11, c, 1);
    EXPECT_FLOAT_EQ(c[0], 4.0f * float(std::cos(0.5)));
    EXPECT_FLOAT_EQ(c[1], 4.0f * float(std::sin(0.5)));
    g_Graphic.GetDevice()->GetVertexShaderConstant(12, c, 1);
    EXPECT_FLOAT_EQ(c[0], 1.0f);
    EXPECT_FLOAT_EQ(c[1], 63.0f / 127.0f);
    EXPECT_FLOAT_EQ(c[3], 1.0f);
    g_Graphic.GetDevice()->GetVertexShaderConstant(13, c, 1);
    EXPECT_FLOAT_EQ(c[2], 340.0f);
    GameClock = 0.0;
}

TEST_F(WaterDetailsTest, theReflectionsTerrainStaysInsideHalfTheViewRadius)
{
    Start(true);
    Frame(LocationMap::Flat(513, 513), Vec3 { 2560.0f, 2560.0f, 3000.0f }, kDown);
    GameClockF32 = 50.0f;
    Location.RenderForWater();
    const float half = (float(VisibleRadius + 32) / 64.0f) * 0.5f;
    int drawn = 0;
    for (int row = 0; row < Location.blocksY; ++row) {
        for (int column = 0; column < Location.blocksX; ++column) {
            const SCellRecord& cell = Location.Cell(column, row);
            const bool stamped
                = (cell.full && cell.full->lastUse == 50.0f) || (cell.half && cell.half->lastUse == 50.0f);
            if (!stamped)
                continue;
            ++drawn;
            const float dx = 4.0f - float(column) - 0.5f;
            const float dy = 4.0f - float(row) - 0.5f;
            EXPECT_LE(dx * dx + dy * dy, half * half) << column << " " << row;
        }
    }
    EXPECT_GT(drawn, 4);
    uint32_t blend = 1;
    g_Graphic.GetDevice()->GetRenderState(plat::gfx::RenderState::SrcBlend, blend);
    EXPECT_EQ(blend, uint32_t(plat::gfx::Blend::One));
}

TEST_F(WaterDetailsTest, detailObjectsRegenerateIdenticallyWithoutDisturbingTheGenerator)
{
    Start(true);
    Load(Pond(kGrass, Water(1, 0.0f, 0, 0.0f)));
    Location.LoadCell(1, 1, kNearLevel);
    MapQuad& quad = Location.Cell(1, 1).full->quads[0];
    SharedRandom.seed = 77;
    Location.GenerateNoiseObjects(1, 1, 0);
    ASSERT_GT(quad.detail->count, 0);
    const std::vector<SDetailObject> first(quad.detail->objects, quad.detail->objects + quad.detail->count);
    for (int i = 1; i < quad.detail->count; ++i)
        EXPECT_LE(quad.detail->objects[quad.detail->order[i - 1]].radius,
            quad.detail->objects[quad.detail->order[i]].radius);
    const uint32_t after = SharedRandom.seed;
    for (int i = 0; i < CLocation::kDetailStores; ++i) {
        Location.detailStore(i).inUse = 1;
        Location.detailStore(i).lastUse = i == 0 ? -1.0 : 1.0;
    }
    ASSERT_EQ(quad.detail, &Location.detailStore(0));
    Location.GetFreeMapMesh();
    EXPECT_EQ(quad.generated, 0);
    Location.GenerateNoiseObjects(1, 1, 0);
    ASSERT_EQ(quad.detail->count, int(first.size()));
    EXPECT_EQ(std::memcmp(first.data(), quad.detail->objects, first.size() * sizeof(SDetailObject)), 0);
    EXPECT_EQ(SharedRandom.seed, after);
    // Every object stands on grass inside its quad, on the ground.
    for (const SDetailObject& object : first) {
        EXPECT_GE(object.position[0], 640.0f);
        EXPECT_LE(object.position[0], 960.0f);
        EXPECT_FLOAT_EQ(object.position[2], 0.0f);
    }
}

TEST_F(WaterDetailsTest, unknownAndEmptyMaterialsPlaceNothingAndOnlyEightMaterialsOfAQuadCount)
{
    Start(true, "[EMPTY]\nGID=3\nMODEL1=NONE\nMODEL2=MOD_TUFT\n");
    LocationMap map = Pond(3, Water(1, 0.0f, 0, 0.0f));
    Load(map);
    Location.LoadCell(1, 1, kNearLevel);
    Location.GenerateNoiseObjects(1, 1, 0);
    EXPECT_EQ(Location.Cell(1, 1).full->quads[0].detail->count, 0);
    // Nine materials in one quad: grass is the ninth found, so nothing is placed.
    for (int gy = 64; gy < 96; ++gy)
        for (int gx = 64; gx < 96; ++gx)
            map.materials[map.PointIndex(gx, gy)] = uint16_t(gx < 72 ? 10 + (gx - 64) : kGrass);
    Load(map);
    Location.LoadCell(1, 1, kNearLevel);
    Location.GenerateNoiseObjects(1, 1, 0);
    EXPECT_EQ(Location.Cell(1, 1).full->quads[0].detail->count, 0);
}

TEST_F(WaterDetailsTest, opaqueTuftsDrawInTheBatchAndPebblesGoToTheDeferredList)
{
    Start(true);
    Frame(Pond(kGrass, Water(1, 0.0f, 0, 0.0f)), Vec3 { 800.0f, 800.0f, 20.0f }, Vec3 { 0.0f, 0.6f, -0.8f });
    EffectRenderManager.ResetFrame();
    Null().ClearRecords();
    Location.RenderDetailObjects();
    EXPECT_GT(Location.detailDrawCount, 0);
    EXPECT_GT(Location.detailObjectsDrawn, 0);
    EXPECT_GT(Location.detailObjectsDeferred, 0);
    EXPECT_EQ(EffectRenderManager.EffectCount(), Location.detailObjectsDeferred);
    int opaque = 0;
    for (int k = 0; k < Location.detailDrawCount; ++k) {
        const CLocation::SDetailDraw& draw = Location.detailDraws[k];
        if (draw.object->model == m_models->FindModel("MOD_TUFT")) {
            EXPECT_EQ(draw.blended, 0);
            EXPECT_EQ(draw.colour >> 24, 0xFFu);
            opaque += draw.alpha > 0.95f;
        } else {
            EXPECT_EQ(draw.blended, 1);
            EXPECT_EQ(draw.colour, 0xFF000000u);
        }
    }
    EXPECT_EQ(opaque, Location.detailObjectsDrawn);
    EXPECT_FALSE(Null().Draws().empty());
    // The deferred walk hands them back to the location, nearest last, with their own alpha.
    float nearest = 1e30f;
    float alpha = 0.0f;
    for (int k = 0; k < Location.detailDrawCount; ++k) {
        const CLocation::SDetailDraw& draw = Location.detailDraws[k];
        if ((draw.blended || draw.alpha <= 0.95f) && draw.d2 < nearest) {
            nearest = draw.d2;
            alpha = draw.alpha;
        }
    }
    EffectRenderManager.RenderEffects();
    plat::gfx::Material material;
    g_Graphic.GetDevice()->GetMaterial(material);
    EXPECT_FLOAT_EQ(material.diffuse.a, alpha);
}

TEST_F(WaterDetailsTest, aTypeZeroObjectAtQThousandHasAlphaAboveOne)
{
    Start(true);
    Load(Pond(kGrass, Water(1, 0.0f, 0, 0.0f)));
    Location.LoadCell(1, 1, kNearLevel);
    MapQuad& quad = Location.Cell(1, 1).full->quads[0];
    Location.GenerateNoiseObjects(1, 1, 0);
    SDetailStore& store = *quad.detail;
    store.count = 1;
    store.order[0] = 0;
    SDetailObject& object = store.objects[0];
    object.type = 0;
    object.model = m_models->FindModel("MOD_TUFT");
    object.radius = 1.0f; // counts as 2
    object.position[0] = 800.0f;
    object.position[1] = 800.0f;
    object.position[2] = 0.0f;
    // q = d^2 / 4 = 1000 at d^2 = 4000.
    LookFrom(Vec3 { 800.0f, 800.0f - std::sqrt(4000.0f), 0.0f }, Vec3 { 0.0f, 1.0f, 0.0f });
    quad.level = 1;
    Location.detailDrawCount = 0;
    quad.RenderDetails();
    ASSERT_EQ(Location.detailDrawCount, 1);
    EXPECT_FLOAT_EQ(Location.detailDraws[0].alpha, 1.28125f);
    EXPECT_EQ(Location.detailDraws[0].blended, 0);
}

TEST_F(WaterDetailsTest, theDetailMeshBuildsNearBlocksOutOfViewAndFadesForeignPoints)
{
    Start(true);
    LocationMap map = Pond(kGrass, Water(1, 0.0f, 0, 0.0f));
    // A sand patch east of the camera.
    for (int gy = 70; gy < 90; ++gy)
        for (int gx = 84; gx < 100; ++gx)
            map.materials[map.PointIndex(gx, gy)] = kSand;
    // Looking away (+y) from (800, 800): blocks behind within 40 units are still built.
    Frame(map, Vec3 { 800.0f, 800.0f, 30.0f }, Vec3 { 0.0f, 1.0f, 0.0f });
    Location.GenerateDetailMesh(ViewFrame.position, 200.0f);
    ASSERT_EQ(Location.detailLayers[0].material, m_materials->FindByGID(kGrass));
    const CVertexData& grass = Location.DetailLayerData(0);
    ASSERT_GT(grass.vertexCount, 0u);
    const auto* v = reinterpret_cast<const SDetailVertex*>(grass.vertices);
    bool behind = false;
    for (uint32_t i = 0; i < grass.vertexCount; ++i) {
        behind |= v[i].y < 790.0f && v[i].y > 760.0f;
        const float q = ((v[i].x - 800) * (v[i].x - 800) + (v[i].y - 800) * (v[i].y - 800)) / 40000.0f;
        const uint32_t alpha = v[i].diffuse >> 24;
        if (q > 1.0f) {
            EXPECT_EQ(alpha, 0u);
        }
        if (q < 0.5f && int(v[i].x / 10) < 84) {
            EXPECT_GE(alpha, 84u);
        }
    }
    EXPECT_TRUE(behind);
    // Sand has a plain and a bump layer; the grass layer's sand points have alpha 0.
    int sandLayers[2] = {};
    for (int i = 0; i < Location.detailLayerCount; ++i) {
        if (Location.detailLayers[i].material == m_materials->FindByGID(kSand))
            ++sandLayers[Location.detailLayers[i].bump];
    }
    EXPECT_EQ(sandLayers[0], 1);
    EXPECT_EQ(sandLayers[1], 1);
    for (uint32_t i = 0; i < grass.vertexCount; ++i) {
        const int gx = int(std::lround(v[i].x / 10));
        const int gy = int(std::lround(v[i].y / 10));
        if (gx >= 84 && gx < 100 && gy >= 70 && gy < 90) {
            EXPECT_EQ(v[i].diffuse >> 24, 0u);
        }
    }
    // A flat map simplifies every point: each block is two triangles, diagonals alternating.
    EXPECT_EQ(grass.indexCount % 6, 0u);
}

TEST_F(WaterDetailsTest, bumpLayersEncodeTheSunAndAMaterialWithoutBumpTextureGetsOnlyItsPlainLayer)
{
    // Rock has no texture of its own; its layer comes first and must not end the list.
    Start(true, "[ROCK]\nGID=4\nTextureDetail=TEX_DET\nSPECDETAIL=1\nDIFFBUMP=1\n");
    Environment.sunVector = Vec3 { 0.0f, 0.0f, 1.0f };
    Environment.sunBrightness = 1.0f;
    LocationMap map = Pond(4, Water(1, 0.0f, 0, 0.0f));
    for (int gy = 70; gy < 90; ++gy)
        for (int gx = 70; gx < 90; ++gx)
            map.materials[map.PointIndex(gx, gy)] = kSand;
    Frame(map, Vec3 { 800.0f, 800.0f, 30.0f }, kDown);
    Location.GenerateDetailMesh(ViewFrame.position, 200.0f);
    int rockLayers = 0;
    int bump = -1;
    for (int i = 0; i < Location.detailLayerCount; ++i) {
        if (Location.detailLayers[i].material == m_materials->FindByGID(4))
            ++rockLayers;
        if (Location.detailLayers[i].bump)
            bump = i;
    }
    EXPECT_EQ(rockLayers, 1);
    ASSERT_GE(bump, 0);
    const CVertexData& data = Location.DetailLayerData(bump);
    ASSERT_GT(data.vertexCount, 0u);
    const auto* v = reinterpret_cast<const SDetailVertex*>(data.vertices);
    // L = unit(0, 0, 0.8) = (0, 0, 1) on a lit point: (128, 128, 255).
    EXPECT_EQ(v[0].diffuse & 0xFFFFFFu, 0x8080FFu);
    // The 64-material bound and the 20-layer cap.
    EXPECT_EQ(CLocation::kDetailLayers, 20);
}

TEST_F(WaterDetailsTest, renderDetailsDrawsEachLayerThroughItsSlotsAndRestoresTheStates)
{
    Start(true);
    LocationMap map = Pond(kGrass, Water(1, 0.0f, 0, 0.0f));
    for (int gy = 70; gy < 90; ++gy)
        for (int gx = 79; gx < 95; ++gx)
            map.materials[map.PointIndex(gx, gy)] = kSand;
    Frame(map, Vec3 { 800.0f, 800.0f, 30.0f }, kDown);
    Null().ClearRecords();
    Location.RenderDetails();
    EXPECT_EQ(Location.detailLayersDrawn, 3);
    // Plain grass, plain sand, sand bump through slots 36 and 35.
    EXPECT_GE(Null().Draws().size(), 4u);
    uint32_t z = 0;
    g_Graphic.GetDevice()->GetRenderState(plat::gfx::RenderState::ZWriteEnable, z);
    EXPECT_EQ(z, 1u);
    for (const auto& draw : Null().Draws())
        EXPECT_EQ(draw.render[size_t(plat::gfx::RenderState::ZWriteEnable)], 0u);
}

} // namespace
