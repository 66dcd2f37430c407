// The terrain pass on the null device over a writer-made map of 3 x 3 cells: draws per layer with
// the level's texture, the two state sets, the bend and the mesh slots.
#include "tests/world/terrain/render_fixture.h"

#include "platform/gfx/device.h"
#include "platform/gfx/states.h"

#include <cstring>
#include <map>

namespace {

using plat::gfx::RenderState;
using plat::gfx::StageState;
using plat::gfx::Transform;
using plat::gfx::VertexBlendMode;

constexpr int kSide = 193; // 3 x 3 cells

class CycleRenderTest : public TerrainRenderTest {
protected:
    // Every quad of 32 x 32 steps carries grass and sand in stripes of 16 steps; the first cell's
    // first quad also carries an unknown material.
    void StartMap(plat::gfx::CapsProfile profile = plat::gfx::CapsProfile::Full)
    {
        Start("null", profile);
        LocationMap map = Shaped(kSide, kSide, [](int gx, int gy) { return float((gx * 7 + gy * 3) % 11); });
        for (int gy = 0; gy < kSide; ++gy) {
            for (int gx = 0; gx < kSide; ++gx)
                map.materials[map.PointIndex(gx, gy)] = (gx / 16) % 2 ? kSand : kGrass;
        }
        for (int gy = 0; gy < 8; ++gy) {
            for (int gx = 0; gx < 8; ++gx)
                map.materials[map.PointIndex(gx, gy)] = kUnknown;
        }
        Load(map);
        Overhead(160, 160, 3000);
    }

    // Near cells at levels 1 (0, 0), 2 (1, 0) and 3 (2, 2); far cells (0, 2) and (2, 1).
    static void TheUsualCells()
    {
        Visible({ { 0, 0, kNearLevel }, { 1, 0, kNearLevel }, { 0, 2, kFarLevel }, { 2, 2, kNearLevel },
            { 2, 1, kFarLevel } });
    }

    void Pass()
    {
        Null().ClearRecords();
        Location.CycleRender();
    }
    plat::gfx::Device& Device() { return *g_Graphic.GetDevice(); }
    plat::gfx::null::NullDevice& Null() { return *plat::gfx::null::FromDevice(Device()); }

    // The pool (level - 1) whose slot owns a vertex buffer, -1 for none (a ring).
    static int PoolOf(uint32_t vertexBuffer)
    {
        for (int kind = 0; kind < 4; ++kind) {
            for (int i = 0; i < Location.deviceBufferCount(kind); ++i) {
                const SDeviceBuffer& slot = Location.deviceBuffer(kind, i);
                if (slot.device && slot.device->vertexBuffer
                    && slot.device->vertexBuffer->Id() == vertexBuffer)
                    return kind;
            }
        }
        return -1;
    }

    // Layers a pass draws for the listed cells, counted from the meshes the pass used.
    static int LayersDrawn()
    {
        int layers = 0;
        for (int i = 0; i < Location.visibleCount; ++i) {
            const CLocation::SVisibleCell& v = Location.visibleCells[i];
            const SCellRecord& record = Location.Cell(v.column, v.row);
            std::vector<const MapMesh*> meshes;
            if (record.level == kFarLevel) {
                meshes.push_back(record.half ? record.half->farMesh : nullptr);
            } else if (record.full) {
                for (const MapQuad& quad : record.full->quads) {
                    if (quad.visible)
                        meshes.push_back(quad.meshes[quad.level - 1]);
                }
            }
            for (const MapMesh* mesh : meshes) {
                for (int k = 0; mesh && k < mesh->layerCount && mesh->layers[k].material != -2; ++k)
                    layers += mesh->layers[k].vertexCount && mesh->layers[k].indexCount ? 1 : 0;
            }
        }
        return layers;
    }

    static plat::gfx::Matrix Marker()
    {
        plat::gfx::Matrix m = plat::gfx::Matrix::Identity();
        m.m[3][0] = 12345.0f;
        return m;
    }
    plat::gfx::Matrix Get(Transform t)
    {
        plat::gfx::Matrix m;
        Device().GetTransform(t, m);
        return m;
    }
    static plat::gfx::Matrix BendAt(float x, float y)
    {
        float fade = 0;
        float sink = 0;
        Location.GetAttenuation(Vec3 { x, y, 0 }, fade, sink);
        plat::gfx::Matrix m = plat::gfx::Matrix::Identity();
        m.m[2][2] = fade;
        m.m[3][2] = sink;
        return m;
    }
};

bool Same(const plat::gfx::Matrix& a, const plat::gfx::Matrix& b)
{
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

TEST_F(CycleRenderTest, OneDrawPerLayerWithTheTextureOfTheQuadsLevel)
{
    StartMap();
    TheUsualCells();
    Pass();
    const auto& draws = Null().Draws();
    ASSERT_EQ(int(draws.size()), LayersDrawn());
    std::map<int, int> perPool;
    const uint32_t full[] = { TextureId(kGrass, true), TextureId(kSand, true), 0 };
    const uint32_t plain[] = { TextureId(kGrass, false), TextureId(kSand, false), 0 };
    for (const auto& draw : draws) {
        const int pool = PoolOf(draw.vertexBuffer);
        ASSERT_GE(pool, 0) << "every mesh found a slot";
        ++perPool[pool];
        const uint32_t texture = draw.textures[0];
        if (pool == 0) {
            EXPECT_TRUE(texture == full[0] || texture == full[1] || texture == 0) << texture;
        } else if (pool < 3) {
            EXPECT_TRUE(texture == plain[0] || texture == plain[1] || texture == 0) << texture;
        }
    }
    EXPECT_GT(perPool[0], 4) << "level 1 draws grass, sand and the unknown material";
    EXPECT_GT(perPool[1], 0);
    EXPECT_GT(perPool[2], 0);
    EXPECT_EQ(perPool[3], 2);
    int untextured = 0;
    for (const auto& draw : draws)
        untextured += PoolOf(draw.vertexBuffer) == 0 && draw.textures[0] == 0 ? 1 : 0;
    EXPECT_EQ(untextured, 1) << "the unknown material's layer";
}

TEST_F(CycleRenderTest, EightLayersWithoutAnEndAllDrawAndMaterialMinusOneIsUntextured)
{
    StartMap();
    Visible({ { 1, 0, kNearLevel } });
    Pass();
    MapQuad& quad = Location.Cell(1, 0).full->quads[0];
    ASSERT_EQ(quad.level, 2);
    MapMesh& mesh = *quad.meshes[1];
    const SMeshLayer first = mesh.layers[0];
    const int grass = m_land->FindByGID(kGrass);
    const int sand = m_land->FindByGID(kSand);
    const int materials[8] = { grass, -1, sand, grass, -1, sand, sand, grass };
    for (int k = 0; k < 8; ++k) {
        mesh.layers[k] = first;
        mesh.layers[k].material = materials[k];
    }
    mesh.layerCount = 8;
    Visible({ { 1, 0, kNearLevel } }, false);
    for (int q = 1; q < 4; ++q)
        Location.Cell(1, 0).full->quads[q].visible = 0;
    Pass();
    std::vector<uint32_t> textures;
    const uint32_t vb = mesh.buffer->device->vertexBuffer->Id();
    for (const auto& draw : Null().Draws()) {
        if (draw.vertexBuffer == vb)
            textures.push_back(draw.textures[0]);
    }
    const uint32_t g = TextureId(kGrass, false);
    const uint32_t s = TextureId(kSand, false);
    EXPECT_EQ(textures, (std::vector<uint32_t> { g, 0, s, g, 0, s, s, g }));
}

TEST_F(CycleRenderTest, NearAndFarDrawsGetTheirStateSetsAcrossRunsAndPasses)
{
    StartMap();
    TheUsualCells();
    for (int pass = 0; pass < 2; ++pass) {
        // Whatever drew before the pass, its first cell applies its set.
        Device().SetRenderState(RenderState::AlphaBlendEnable, 0);
        Device().SetTextureStageState(0, StageState::ColorOp, uint32_t(plat::gfx::TextureOp::Disable));
        Device().SetTextureStageState(1, StageState::ColorOp, uint32_t(plat::gfx::TextureOp::Disable));
        Pass();
        ASSERT_FALSE(Null().Draws().empty());
        for (const auto& draw : Null().Draws()) {
            const bool far = PoolOf(draw.vertexBuffer) == 3;
            SCOPED_TRACE(far ? "far" : "near");
            EXPECT_EQ(draw.render[size_t(RenderState::AlphaBlendEnable)], far ? 0u : 1u);
            EXPECT_EQ(draw.stage[0][size_t(StageState::ColorOp)],
                uint32_t(far ? plat::gfx::TextureOp::SelectArg2 : plat::gfx::TextureOp::Modulate));
            EXPECT_EQ(draw.stage[1][size_t(StageState::ColorOp)],
                uint32_t(far ? plat::gfx::TextureOp::Disable : plat::gfx::TextureOp::BlendCurrentAlpha));
            EXPECT_EQ(draw.stage[0][size_t(StageState::AlphaArg1)],
                far ? draw.stage[0][size_t(StageState::AlphaArg1)]
                    : uint32_t(plat::gfx::TextureArg::Texture) | plat::gfx::kArgComplement);
            EXPECT_EQ(draw.render[size_t(RenderState::DiffuseMaterialSource)],
                uint32_t(plat::gfx::MaterialSource::Color1));
        }
    }
    uint32_t value = 0;
    Device().GetRenderState(RenderState::NormalizeNormals, value);
    EXPECT_EQ(value, 1u);
    Device().GetRenderState(RenderState::VertexBlend, value);
    EXPECT_EQ(value, uint32_t(VertexBlendMode::Disable));
}

TEST_F(CycleRenderTest, WithTheBendOffOnlyIdentityIsSetAndNoVertexBlend)
{
    StartMap();
    TheUsualCells();
    Location.bendHorizon = 0;
    for (uint32_t i = 0; i < 4; ++i)
        Device().SetTransform(plat::gfx::WorldMatrix(i), Marker());
    Pass();
    for (const auto& draw : Null().Draws())
        EXPECT_EQ(draw.render[size_t(RenderState::VertexBlend)], uint32_t(VertexBlendMode::Disable));
    EXPECT_TRUE(Same(Get(Transform::World), plat::gfx::Matrix::Identity()));
    for (uint32_t i = 1; i < 4; ++i)
        EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(i)), Marker())) << i;
}

TEST_F(CycleRenderTest, TheBendBlendsFourCornerMatricesOrOneMatrixOnMinimalCaps)
{
    for (const auto profile : { plat::gfx::CapsProfile::Full, plat::gfx::CapsProfile::Minimal }) {
        const bool full = profile == plat::gfx::CapsProfile::Full;
        SCOPED_TRACE(full ? "full" : "minimal");
        StartMap(profile);
        // The far cell (2, 1) is drawn last and lies beyond the bend's start.
        TheUsualCells();
        for (uint32_t i = 1; i < 4; ++i)
            Device().SetTransform(plat::gfx::WorldMatrix(i), Marker());
        Pass();
        int blended = 0;
        for (const auto& draw : Null().Draws()) {
            const bool bent
                = draw.render[size_t(RenderState::VertexBlend)] == uint32_t(VertexBlendMode::Weights3);
            blended += bent ? 1 : 0;
            if (PoolOf(draw.vertexBuffer) < 2) {
                EXPECT_FALSE(bent) << "levels 1 and 2 never bend";
            }
        }
        if (full) {
            EXPECT_GT(blended, 2);
            EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(3)), BendAt(2, 1)));
            EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(0)), BendAt(3, 1)));
            EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(1)), BendAt(2, 2)));
            EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(2)), BendAt(3, 2)));
            EXPECT_LT(BendAt(3, 2).m[3][2], 0.0f) << "the far corner sinks";
        } else {
            EXPECT_EQ(blended, 0);
            EXPECT_TRUE(Same(Get(Transform::World), BendAt(2.5f, 1.5f)));
            for (uint32_t i = 1; i < 4; ++i)
                EXPECT_TRUE(Same(Get(plat::gfx::WorldMatrix(i)), Marker())) << i;
        }
        TearDown();
        SetUp();
    }
}

TEST_F(CycleRenderTest, ExhaustedSlotsStreamThroughTheRingsAndIdleMeshesLoseTheirSlots)
{
    StartMap();
    Location.SizeSlotPool(1, 2); // level 2: (1, 0) alone has four visible quads
    Location.SizeSlotPool(3, 1);
    TheUsualCells();
    const uint32_t hits2 = Location.bufferHits[1];
    const uint32_t misses2 = Location.bufferMisses[1];
    const uint32_t misses4 = Location.bufferMisses[3];
    Pass();
    const int level2 = [] {
        int n = 0;
        for (int c : { 1 })
            for (const MapQuad& q : Location.Cell(c, 0).full->quads)
                n += q.visible && q.level == 2 ? 1 : 0;
        return n;
    }();
    ASSERT_GT(level2, 2);
    EXPECT_EQ(Location.bufferMisses[1] - misses2, uint32_t(level2 - 2));
    EXPECT_EQ(Location.bufferMisses[3] - misses4, 2u) << "every far search counts";
    const int map1 = m_models->FindBuffer("MAP1");
    const int map4 = m_models->FindBuffer("MAP4");
    int streamed1 = 0;
    int streamed4 = 0;
    for (const auto& draw : Null().Draws()) {
        streamed1 += draw.vertexBuffer == m_models->GetBuffer(map1).vertexBuffer->Id() ? 1 : 0;
        streamed4 += draw.vertexBuffer == m_models->GetBuffer(map4).vertexBuffer->Id() ? 1 : 0;
    }
    EXPECT_GT(streamed1, 0);
    EXPECT_EQ(streamed4, 1);

    // A still camera: the slot holders hit, the others miss again.
    Pass();
    EXPECT_EQ(Location.bufferMisses[1] - misses2, uint32_t(2 * (level2 - 2)));
    EXPECT_EQ(Location.bufferHits[1] - hits2, 2u);
    EXPECT_EQ(Location.bufferMisses[3] - misses4, 3u);

    // Cell (0, 2) is not drawn: its far mesh gives up the one far slot, which (2, 1) then takes.
    MapMesh* idle = Location.Cell(0, 2).half->farMesh;
    ASSERT_NE(idle->buffer, nullptr);
    Visible({ { 2, 1, kFarLevel } }, false);
    Pass();
    EXPECT_EQ(idle->buffer, nullptr);
    EXPECT_EQ(Location.deviceBuffer(3, 0).inUse, 0);
    Pass();
    EXPECT_EQ(Location.Cell(2, 1).half->farMesh->buffer, &Location.deviceBuffer(3, 0));
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(PoolOf(Null().Draws()[0].vertexBuffer), 3) << "copied into the freed slot";
    EXPECT_EQ(Null().GetCounters().bufferUploads, 2u) << "its vertices and indices";
}

TEST_F(CycleRenderTest, AnUnloadedNearCellDrawsNothing)
{
    StartMap();
    Location.LoadCell(1, 1, kFarLevel);
    Visible({ { 1, 1, kNearLevel } }, false);
    ASSERT_EQ(Location.Cell(1, 1).full, nullptr);
    ASSERT_NE(Location.Cell(1, 1).half, nullptr);
    Pass();
    EXPECT_TRUE(Null().Draws().empty());
}

} // namespace
