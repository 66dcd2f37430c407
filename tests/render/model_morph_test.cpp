// Model morphing, the animation clock, orderings and the damage-variant cache.
#include "tests/render/model_fixture.h"

#include "foundation/CTimer.h"
#include "render/CModel.h"

#include <cmath>
#include <cstring>

namespace {

// Four vertices at x = 0..3 with normal (0, 0, 1), two triangles; texture set zero.
SModelBlock Quad()
{
    SModelBlock block;
    block.mesh.format = 0x112;
    block.mesh.vertexCount = 4;
    block.mesh.vertices.assign(4 * 32, 0);
    for (int v = 0; v < 4; ++v) {
        const float vertex[6] = { float(v), 0, 0, 0, 0, 1 };
        std::memcpy(block.mesh.vertices.data() + 32 * v, vertex, sizeof vertex);
    }
    block.mesh.indices = { 0, 1, 2, 0, 2, 3 };
    return block;
}

// A channel moving vertex 0 (block 2: vertex 1): block b adds 10^b to x and to the normal's y.
SMorphChannelBlock Channel(uint32_t type)
{
    SMorphChannelBlock channel;
    channel.type = type;
    std::strcpy(channel.name, "C");
    channel.blockCount = modelfile::ChannelBlockCount(type);
    for (int b = 0; b < channel.blockCount; ++b) {
        const float step = std::pow(10.0f, float(b));
        channel.blocks[b].hasIndices = true;
        channel.blocks[b].indices = { uint16_t(b == 2 ? 1 : 0) };
        channel.blocks[b].deltas = { SMorphDelta { { step, 0, 0 }, { 0, step, 0 } } };
    }
    return channel;
}

// x and normal y of a vertex of a system-memory mesh.
std::pair<float, float> Read(const Mesh* mesh, int vertex)
{
    float v[6];
    std::memcpy(v, mesh->vertexData + 32 * vertex, sizeof v);
    return { v[0], v[4] };
}

class ModelMorphTest : public ModelTest { };

TEST_F(ModelMorphTest, eachChannelTypeBlendsByItsRule)
{
    const struct {
        uint32_t type;
        float w;
        int vertex;
        float dx;
        float dn;
    } kRows[] = {
        { 1, 0.5f, 0, 3, 3 },
        { 1, -0.5f, 1, 300, 300 },
        { 2, 0.5f, 0, 3, 3 },
        { 4, -0.5f, 0, 3, 3 },
        { 3, 0.4f, 0, 0.4f, 0.4f },
        { 5, -0.4f, 0, 0.4f, 0.4f },
        { 6, 0.3f, 0, 0.3f, 0.3f },
        { 6, 0.8f, 0, 3.5f, 3.5f },
        { 7, -0.8f, 0, 3.5f, 3.5f },
        { 8, 0.2f, 0, 0.2f, 0.2f },
        { 8, 0.5f, 0, 2, 2 },
        { 8, 0.9f, 0, 27, 27 },
        { 14, -0.9f, 0, 27, 27 },
        { 9, 0.2f, 0, 0.2f, 0.2f },
        { 9, 0.4f, 0, 1.75f, 1.75f },
        { 9, 0.6f, 0, 12.75f, 12.75f },
        { 9, 0.9f, 0, 177.75f, 177.75f },
        { 15, -0.9f, 0, 177.75f, 177.75f },
        { 10, 0.5f, 0, 11, 3 },
        { 10, -0.5f, 0, -9, 8 },
        { 11, 0.5f, 0, -9, 8 },
        { 12, 0.5f, 0, 15.5f, 15.5f },
        { 13, -0.5f, 0, 15.5f, 15.5f },
    };
    for (const auto& row : kRows) {
        SModelBlock block = Quad();
        block.channels = { Channel(row.type) };
        CModel model;
        model.Load(block, false);
        const float weights[4] = { row.w, 0, 0, 0 };
        const Mesh* mesh = model.GetMorphedMesh(weights);
        ASSERT_NE(mesh, &model.MainMesh()) << row.type << " " << row.w;
        const auto [x, n] = Read(mesh, row.vertex);
        EXPECT_NEAR(x - float(row.vertex), row.dx, 1e-4f) << "type " << row.type << " w " << row.w;
        EXPECT_NEAR(n, row.dn, 1e-4f) << "type " << row.type << " w " << row.w;
        const auto [other, unused] = Read(mesh, 1 - row.vertex);
        EXPECT_EQ(other, float(1 - row.vertex)) << row.type;
    }
}

TEST_F(ModelMorphTest, weightsOutsideAChannelsRuleDrawTheMainMesh)
{
    for (auto [type, w] : { std::pair { 2u, -0.5f }, { 3u, -0.2f }, { 4u, 0.5f }, { 12u, -0.1f } }) {
        SModelBlock block = Quad();
        block.channels = { Channel(type) };
        CModel model;
        model.Load(block, false);
        const float weights[4] = { w, 0, 0, 0 };
        EXPECT_EQ(model.GetMorphedMesh(weights), &model.MainMesh()) << type;
    }
}

TEST_F(ModelMorphTest, smallOrUnchangedWeightsDoNotBlendAgain)
{
    SModelBlock block = Quad();
    block.channels = { Channel(3) };
    CModel model;
    model.Load(block, false);
    const float tiny[4] = { 0.004f, -0.004f, 0.0049f, 0 };
    EXPECT_EQ(model.GetMorphedMesh(tiny), &model.MainMesh());
    EXPECT_EQ(model.GetMorphedMesh(nullptr), &model.MainMesh());

    const float half[4] = { 0.5f, 0, 0, 0 };
    const Mesh* mesh = model.GetMorphedMesh(half);
    EXPECT_FLOAT_EQ(Read(mesh, 0).first, 0.5f);
    const float nudged[4] = { 0.5009f, 0, 0, 0 };
    EXPECT_EQ(model.GetMorphedMesh(nudged), mesh);
    EXPECT_FLOAT_EQ(Read(mesh, 0).first, 0.5f); // the last blend, not re-blended
    const float moved[4] = { 0.502f, 0, 0, 0 };
    model.GetMorphedMesh(moved);
    EXPECT_FLOAT_EQ(Read(mesh, 0).first, 0.502f);
    // Shorter delta blocks add nothing past their end.
    SModelBlock shortBlock = Quad();
    SMorphChannelBlock channel = Channel(2);
    channel.blocks[0].indices = { 0, 3 };
    channel.blocks[0].deltas.push_back(SMorphDelta { { 1, 0, 0 }, { 0, 0, 0 } });
    shortBlock.channels = { channel };
    CModel shorter;
    shorter.Load(shortBlock, false);
    const Mesh* bent = shorter.GetMorphedMesh(half);
    EXPECT_FLOAT_EQ(Read(bent, 0).first, 3.0f);
    EXPECT_FLOAT_EQ(Read(bent, 3).first, 3.5f); // w x D0 only: block 1 has one delta
}

TEST_F(ModelMorphTest, automaticSweepGoesUpAndBackEveryTwoPeriods)
{
    SModelBlock block = Quad();
    block.channels = { Channel(3), Channel(3) };
    block.autoAnimate = 1;
    block.autoPeriod = 2;
    block.autoChannel = 1;
    CModel model;
    model.Load(block, false);
    const struct {
        float dt;
        float phase;
    } kSteps[] = { { 1, 0.5f }, { 1, 1 }, { 1, 0.5f }, { 0.5f, 0.25f }, { 0.5f, 0 }, { 1, 0.5f } };
    for (const auto& step : kSteps) {
        model.AdvanceAnimation(step.dt);
        EXPECT_NEAR(model.autoPhase, step.phase, 1e-6f);
    }
    // The sweep drives channel 1 whatever the caller passes for it.
    const float weights[4] = { 0, 0.9f, 0, 0 };
    const Mesh* mesh = model.GetMorphedMesh(weights);
    EXPECT_NEAR(Read(mesh, 0).first, 0.5f, 1e-6f);

    block.autoPeriod = 1e-30f; // a sweep too fast to count stays a phase between 0 and 1
    CModel fast;
    fast.Load(block, false);
    fast.AdvanceAnimation(1e6f);
    EXPECT_GE(fast.autoPhase, 0.0f);
    EXPECT_LE(fast.autoPhase, 1.0f);

    block.autoPeriod = 0;
    CModel still;
    still.Load(block, false);
    still.AdvanceAnimation(3);
    EXPECT_EQ(still.autoPhase, 0.0f);
}

TEST_F(ModelMorphTest, markerFramesNeedFourDistinctCorners)
{
    const float at[3] = { 1, 2, 3 };
    SModelPartBlock marker = zoq::tools::model::MarkerPart("FX", at, 0.5f);
    CModel model;
    model.Load(*marker.model, false);
    int corners[4];
    ASSERT_TRUE(model.FindFrameCorners(corners));
    EXPECT_EQ(std::vector<int>(corners, corners + 4), (std::vector<int> { 0, 1, 2, 5 }));
    Matrix4 frame;
    ASSERT_TRUE(model.GetBoxFrame(corners, nullptr, frame));
    const float identityAt[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1 };
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(frame.m[i], identityAt[i]) << i;
    Vec3 edges;
    ASSERT_TRUE(model.GetBoxCornerFrame(corners, nullptr, frame, edges));
    EXPECT_FLOAT_EQ(edges.x, 0.5f);
    EXPECT_FLOAT_EQ(edges.z, 0.5f);
    ASSERT_TRUE(model.GetBoxCenterFrame(corners, nullptr, frame));
    EXPECT_FLOAT_EQ(frame.m[12], 1.25f);
    EXPECT_FLOAT_EQ(frame.m[14], 2.75f);
    const int outside[4] = { 0, 1, 2, 9 };
    EXPECT_FALSE(model.GetBoxFrame(outside, nullptr, frame));

    // Three vertices: no frame, nothing read past the mesh.
    SModelBlock small = Quad();
    small.mesh.vertexCount = 3;
    small.mesh.vertices.resize(3 * 32);
    small.mesh.indices = { 0, 1, 2 };
    CModel three;
    three.Load(small, false);
    EXPECT_FALSE(three.FindFrameCorners(corners));
    EXPECT_EQ(std::vector<int>(corners, corners + 4), (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_FALSE(three.GetBoxFrame(corners, nullptr, frame));
    // Four vertices of which two coincide: three distinct points.
    SModelBlock merged = Quad();
    std::memcpy(merged.mesh.vertices.data() + 32, merged.mesh.vertices.data(), 12);
    CModel twins;
    twins.Load(merged, false);
    EXPECT_FALSE(twins.FindFrameCorners(corners));
}

TEST_F(ModelMorphTest, frameGridCyclesThroughItsFrames)
{
    const struct {
        int32_t grid;
        float frameTime;
        int frames; // steps until the frame returns to 0; 0: never moves
    } kRows[] = { { 3, 0.1f, 9 }, { 0x0302, 0.1f, 6 }, { 2, 0, 0 }, { 0x0300, 0.1f, 0 }, { -5, 0.1f, 0 } };
    for (const auto& row : kRows) {
        SModelBlock block = Quad();
        block.frameGrid = row.grid;
        block.frameTime = row.frameTime;
        CModel model;
        model.Load(block, false);
        int cycles = 0;
        int steps = 0;
        for (; steps < 20; ++steps) {
            cycles += model.AdvanceAnimation(0.11f);
            if (model.frame == 0)
                break;
        }
        if (row.frames) {
            EXPECT_EQ(steps + 1, row.frames) << row.grid;
            EXPECT_EQ(cycles, 1) << row.grid;
        } else {
            EXPECT_EQ(model.frame, 0) << row.grid;
            EXPECT_EQ(cycles, 0) << row.grid;
        }
    }
    EXPECT_EQ(
        Messages(), std::vector<std::string> { "CModel::Load frame grid 0x300 has no columns or no rows" });
}

TEST_F(ModelMorphTest, damageVariantsAreCachedAndRebuiltAroundTenSeconds)
{
    ASSERT_TRUE(CreateGraphic());
    SModelBlock block = Quad();
    for (int p = 0; p < 3; ++p) {
        SDamagePieceBlock piece;
        piece.triangles = { uint16_t(p % 2) };
        piece.mesh = Quad().mesh;
        block.pieces.push_back(piece);
    }
    CModel model;
    model.Load(block, true);
    Mesh& mesh = model.MainMesh();
    plat::gfx::IndexBuffer* intact = mesh.indexBuffer;
    GameClockF32 = 100;
    model.SetDamageData(&mesh, 1);
    EXPECT_EQ(model.DeviceVariantCount(), 2);
    EXPECT_EQ(mesh.indexCount, 3u);
    model.SetDamageData(&mesh, 2 | 8); // bit 3 is no piece: mask 2
    EXPECT_EQ(model.DeviceVariantCount(), 2); // variant 1 used just now: rebuilt
    EXPECT_EQ(model.DeviceVariantMask(1), 2u);
    GameClockF32 = 111;
    model.SetDamageData(&mesh, 3);
    EXPECT_EQ(model.DeviceVariantCount(), 3); // variant 1 idle over 10 s: a new slot
    EXPECT_EQ(mesh.indexCount, 0u); // both triangles removed
    model.SetDamageData(&mesh, 2);
    EXPECT_EQ(model.DeviceVariantCount(), 3); // found
    EXPECT_EQ(mesh.indexCount, 3u);
    model.SetDamageData(&mesh, 0);
    EXPECT_EQ(mesh.indexBuffer, intact);
    EXPECT_EQ(mesh.indexCount, 6u);
    GameClockF32 = 0;
}

TEST_F(ModelMorphTest, damageIndexesDropTheMaskedTrianglesInOrder)
{
    ASSERT_TRUE(CreateGraphic());
    SModelBlock block = Quad();
    block.mesh.indices = { 0, 1, 2, 0, 2, 3, 1, 2, 3 };
    SDamagePieceBlock piece;
    piece.triangles = { 1 };
    block.pieces = { piece };
    CModel model;
    model.Load(block, true);
    EXPECT_EQ(model.CreateDamageIndexes(1), (std::vector<uint16_t> { 0, 1, 2, 1, 2, 3 }));
    EXPECT_EQ(model.CreateDamageIndexes(0), block.mesh.indices);
}

TEST_F(ModelMorphTest, sortingCopiesTheOrderingOnce)
{
    SModelBlock block = Quad();
    block.orderingsMode = 1;
    for (int o = 0; o < 6; ++o)
        block.orderings.insert(block.orderings.end(), { uint16_t(o % 4), 1, 2, 0, 2, 3 });
    CModel model;
    model.Load(block, false);
    model.SetSorting(3, false);
    EXPECT_EQ(model.MainMesh().indexData[0], 3);
    EXPECT_EQ(model.currentOrdering, 3);
    model.SetSorting(9, false);
    EXPECT_EQ(model.currentOrdering, 3);
    SModelBlock plain = Quad();
    CModel unsorted;
    unsorted.Load(plain, false);
    unsorted.SetSorting(2, false);
    EXPECT_EQ(unsorted.currentOrdering, -1);
}

} // namespace
