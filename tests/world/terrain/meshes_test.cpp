// Terrain meshes: the block templates, the view buckets and the mesh cache, stitching, the level
// builders, the pool sizes and the object detail levels.
#include "tests/world/terrain/terrain_fixture.h"

#include "foundation/XRandom.h"
#include "world/terrain/MeshTemplates.h"

#include <bit>
#include <cstring>

namespace {

using MeshesTest = TerrainTest;

float SignedArea(const uint8_t* t)
{
    auto x = [](int i) { return float(i % 3); };
    auto y = [](int i) { return float(i / 3); };
    return 0.5f * ((x(t[1]) - x(t[0])) * (y(t[2]) - y(t[0])) - (x(t[2]) - x(t[0])) * (y(t[1]) - y(t[0])));
}

TEST(MeshTemplates, EveryTemplateCoversTheBlockCounterClockwise)
{
    const auto& templates = MeshTemplates();
    for (int i = 0; i < 33; ++i) {
        SCOPED_TRACE(i);
        const SMeshTemplate& t = templates[size_t(i)];
        const int edgeMiddles = i < 31 ? 4 - std::popcount(unsigned(i & ~4)) : 0;
        EXPECT_EQ(t.count, i < 31 ? 4 + edgeMiddles : 2);
        float area = 0;
        for (int k = 0; k < t.count; ++k) {
            EXPECT_GT(SignedArea(t.triangles[k]), 0.0f);
            area += SignedArea(t.triangles[k]);
        }
        EXPECT_FLOAT_EQ(area, 4.0f);
    }
    EXPECT_EQ(TemplateIndex(31, 2, 4), 32);
    EXPECT_EQ(TemplateIndex(31, 2, 3), 31);
    EXPECT_EQ(TemplateIndex(5, 2, 3), 5);
}

TEST(MeshBuckets, DistancesAndDirections)
{
    struct Case {
        int stored, bucket, distance;
    } const cases[] = { { 5, 4, 1 }, { 4, 5, 31 }, { 5, 3, 2 }, { 0, 31, 1 }, { -1, -1, 0 }, { -1, 3, 16 },
        { 3, -1, 16 } };
    for (const Case& c : cases)
        EXPECT_EQ(CLocation::BucketDistance(c.stored, c.bucket), c.distance) << c.stored << " " << c.bucket;
    EXPECT_EQ(CLocation::ViewBucket(Vec3 { 0, 1, 0 }), 0);
    EXPECT_EQ(CLocation::ViewBucket(Vec3 { 1, 0, 0 }), 8);
    EXPECT_EQ(CLocation::ViewBucket(Vec3 { 0, 1, -1 }), -1); // steeply down
    EXPECT_EQ(CLocation::ViewBucket(Vec3 { 0, 1, 1.2f }), -1); // no direction close enough
}

TEST(MeshPools, SizesFollowTheViewRange)
{
    struct Case {
        int vr;
        bool fine;
        CLocation::SPoolSizes sizes;
    } const cases[] = {
        { 128, true, { { 10, 20, 30, 5, 20 }, { 8, 2, 11, 3, 7 }, 200, 100 } },
        { 200, true, { { 12, 7, 60, 20, 87 }, { 8, 2, 11, 3, 7 }, 200, 100 } },
        { 256, true, { { 10, 35, 60, 20, 40 }, { 8, 11, 20, 10, 15 }, 200, 100 } },
        { 384, true, { { 10, 35, 70, 40, 40 }, { 8, 12, 18, 30, 20 }, 250, 300 } },
        { 512, true, { { 10, 35, 80, 70, 40 }, { 8, 12, 18, 50, 33 }, 300, 500 } },
        { 256, false, { { 0, 45, 60, 20, 40 }, { 0, 19, 20, 10, 15 }, 200, 100 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vr << " " << c.fine);
        const CLocation::SPoolSizes s = CLocation::PoolSizesFor(c.vr, c.fine);
        for (int k = 0; k < CLocation::kMeshKinds; ++k) {
            EXPECT_EQ(s.meshes[k], c.sizes.meshes[k]) << k;
            EXPECT_EQ(s.deviceBuffers[k], c.sizes.deviceBuffers[k]) << k;
        }
        EXPECT_EQ(s.fullBuffers, c.sizes.fullBuffers);
        EXPECT_EQ(s.halfBuffers, c.sizes.halfBuffers);
    }
}

TEST(MeshLevels, ObjectDetailBands)
{
    const int32_t saved = ModelQuality;
    ModelQuality = 0;
    struct Case {
        float d2, level;
    } const cases[]
        = { { 0, 0 }, { 100, 100 / 100.2001f }, { 625, 1 + 525 / 525.5001f }, { 626, 2 + 1 / 1885.0099f },
              { 2500, 2 + 1875 / 1885.0099f }, { 90000, 3 + 87500 / 87560.016f }, { 90001, -1 } };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(GetLodLevel(c.d2), c.level) << c.d2;
    ModelQuality = 1;
    EXPECT_FLOAT_EQ(GetLodLevel(50), 100 / 100.2001f);
    ModelQuality = saved;
}

TEST_F(MeshesTest, StitchingFollowsTheNeighboursAndRestoresExactly)
{
    Load(Shaped(
        129, 65, [](int gx, int gy) { return std::sin(float(gx) * 0.37f) * 40.0f + float(gy % 7) * 0.3f; }));
    Location.LoadCell(0, 0, 0);
    MapCell& near = *Location.Cell(0, 0).full;
    const std::vector<float> loaded(std::begin(near.planes.height), std::end(near.planes.height));
    Location.Cell(1, 0).level = 4;
    Location.LoadCell(1, 0, 4);
    const HalfCell& far = *Location.Cell(1, 0).half;
    EXPECT_EQ(near.stitched[0] + near.stitched[1] + near.stitched[3], 0); // no neighbour there
    ASSERT_EQ(near.stitched[2], 1);
    for (int k = 0; k < 32; ++k) {
        const float expected = (HalfHeight(far.At(k, 0).height) + HalfHeight(far.At(k + 1, 0).height)) * 0.5f;
        EXPECT_FLOAT_EQ(near.Height(2 * k + 1, 64), expected);
    }
    Location.Cell(1, 0).level = 0;
    Location.UpdateBorder(1, 0);
    EXPECT_EQ(near.stitched[2], 0);
    EXPECT_EQ(std::memcmp(near.planes.height, loaded.data(), sizeof near.planes.height), 0);
}

// Builds quad 0 of cell (0, 0) at a level; the returned mesh stays valid until the next build.
const MapMesh& Build(int level)
{
    MapCell& cell = *Location.Cell(0, 0).full;
    cell.quads[0].level = level;
    cell.quadSplit = 2;
    const MapMesh* mesh = Location.GetQuadObject(0, 0, 0);
    EXPECT_NE(mesh, nullptr);
    return *mesh;
}

TEST_F(MeshesTest, EveryVertexLiesOnTheGroundAndNoBlockIsLeftBare)
{
    LocationMap map = Shaped(65, 65, [](int gx, int gy) { return float((gx * 7 + gy * 3) % 11) * 2.5f; });
    for (size_t i = 0; i < map.materials.size(); ++i)
        map.materials[i] = uint16_t(i % 3 == 0 ? 0x8001 : 1 + i % 9); // nine codes and a flagged one
    Load(map);
    Location.LoadCell(0, 0, 0);
    LookFrom(Vec3 { 160, -500, 100 }, Vec3 { 0, 1, 0 });
    for (int level = 1; level <= 3; ++level) {
        SCOPED_TRACE(level);
        const MapMesh& mesh = Build(level);
        ASSERT_GE(mesh.layerCount, 1);
        EXPECT_LE(mesh.layerCount, 2); // unknown materials: one layer per material flag
        const float* v = reinterpret_cast<const float*>(mesh.data.vertices);
        const size_t floats = mesh.data.stride / 4;
        for (uint32_t i = 0; i < mesh.data.vertexCount; ++i) {
            const float* p = v + i * floats;
            ASSERT_NEAR(p[2], Location.GetHeight(Vec3 { p[0], p[1], 0 }, false, false), 1e-3f)
                << p[0] << "," << p[1];
        }
        float area = 0;
        for (uint32_t i = 0; i + 2 < mesh.data.indexCount; i += 3) {
            const float* a = v + mesh.data.indices[i] * floats;
            const float* b = v + mesh.data.indices[i + 1] * floats;
            const float* c = v + mesh.data.indices[i + 2] * floats;
            const float signedArea = 0.5f * ((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]));
            EXPECT_GT(signedArea, 0.0f);
            area += signedArea;
        }
        if (level < 3) {
            EXPECT_GE(area, 320.0f * 320.0f); // every block is drawn by at least one layer
        }
    }
}

TEST_F(MeshesTest, ALevelOneRebuildIsIdenticalAndLeavesTheGeneratorAlone)
{
    Load(Shaped(65, 65, [](int gx, int gy) { return float(gx * gy % 13); }));
    Location.LoadCell(0, 0, 0);
    LookFrom(Vec3 { 160, -500, 100 }, Vec3 { 0, 1, 0 });
    SharedRandom.seed = 1234;
    const MapMesh& first = Build(1);
    const std::vector<uint8_t> bytes(
        first.data.vertices, first.data.vertices + first.data.vertexCount * first.data.stride);
    const uint32_t seedAfterFirst = SharedRandom.seed;
    EXPECT_NE(seedAfterFirst, 1234u);
    Location.ReleaseAllMapMeshes();
    SharedRandom.seed = 99;
    const MapMesh& second = Build(1);
    EXPECT_EQ(SharedRandom.seed, 99u);
    ASSERT_EQ(second.data.vertexCount * second.data.stride, bytes.size());
    EXPECT_EQ(std::memcmp(second.data.vertices, bytes.data(), bytes.size()), 0);
}

TEST_F(MeshesTest, LevelThreeRebuildsOnlyWhenTheBearingTurnsTwoSteps)
{
    Load(LocationMap::Flat(65, 65));
    Location.LoadCell(0, 0, 0);
    const Vec3 centre = Location.Cell(0, 0).full->quads[0].centre;
    auto lookAlong = [&](int bucket) {
        const Vec3 d = Location.viewDirections[bucket];
        LookFrom(Vec3 { centre.x - 3000 * d.x, centre.y - 3000 * d.y, centre.z }, d);
    };
    lookAlong(4);
    const MapMesh* mesh = &Build(3);
    const uint32_t misses = Location.meshMisses[2];
    lookAlong(5);
    EXPECT_EQ(&Build(3), mesh);
    lookAlong(3);
    EXPECT_EQ(&Build(3), mesh);
    EXPECT_EQ(Location.meshMisses[2], misses);
    lookAlong(6);
    Build(3);
    EXPECT_EQ(Location.meshMisses[2], misses + 1);
    EXPECT_EQ(Location.Cell(0, 0).full->quads[0].buckets[2], 6);
}

TEST_F(MeshesTest, FarMeshesCullSlopesFacingAwayUnlessSeenFromAbove)
{
    Load(Shaped(65, 65, [](int gx, int) { return 10.0f * float(gx); })); // faces -x
    Location.Cell(0, 0).level = 4;
    Location.LoadCell(0, 0, 4);
    const Vec3 centre = Location.Cell(0, 0).half->centre;
    struct Case {
        const char* name;
        Vec3 eye;
        Vec3 forward;
        bool kept;
    } const cases[] = {
        { "facing the camera", { centre.x - 5000, centre.y, centre.z }, { 1, 0, 0 }, true },
        { "facing away", { centre.x + 5000, centre.y, centre.z }, { -1, 0, 0 }, false },
        { "from straight above", { centre.x, centre.y, centre.z + 5000 }, { 0, 0, -1 }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookFrom(c.eye, c.forward);
        const MapMesh* mesh = Location.GetQuadObject(0, 0, 4);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->data.indexCount, c.kept ? 16u * 16u * 2u * 3u : 0u); // a plane: two triangles a block
    }
}

TEST_F(MeshesTest, AGroundPatchFollowsTheTerrain)
{
    Load(Shaped(65, 65, [](int gx, int gy) { return float((gx * 5 + gy * 3) % 7); }));
    Location.LoadCell(0, 0, 0);
    Build(2);
    CVertexData out(0x202, 400, 2000); // position and two texture coordinates
    out.vertexCount = 0;
    out.indexCount = 0;
    EXPECT_FALSE(Location.GetMapMesh(Vec3 { 2000, 2000, 0 }, 30.0f, out)); // outside the map
    ASSERT_TRUE(Location.GetMapMesh(Vec3 { 100, 100, 0 }, 30.0f, out));
    EXPECT_GT(out.indexCount, 0u);
    for (uint32_t i = 0; i < out.vertexCount; ++i) {
        const float* v = reinterpret_cast<const float*>(out.vertices + size_t(i) * out.stride);
        EXPECT_NEAR(v[2], Location.GetHeight(Vec3 { v[0], v[1], 0 }, false, false), 1e-3f);
        EXPECT_NEAR(v[3], (v[0] - 70.0f) / 60.0f, 1e-5f);
        EXPECT_FLOAT_EQ(v[5], v[3]);
    }
}

TEST_F(MeshesTest, WaterMeshesCoverTheWaterPoints)
{
    LocationMap map = LocationMap::Flat(65, 65);
    for (int gy = 0; gy < 65; ++gy)
        for (int gx = 0; gx < 65; ++gx)
            map.water[map.PointIndex(gx, gy)] = gx <= 16 && gy <= 16 ? 1 : 0;
    Load(map);
    const SWaterParams water { 0x123456, 4.0f, 0.5f, 1.0f };
    Location.LoadCell(0, 0, 0);
    Build(2);
    const MapMesh* quad = Location.GetQuadWater(0, 0, 0, water);
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->data.indexCount, 25u * 6u); // blocks of 4 x 4 steps touching the water
    const uint32_t colour = reinterpret_cast<const uint32_t*>(quad->data.vertices)[9];
    EXPECT_EQ(colour, 0x7F123456u);
    Location.LoadCell(0, 0, 4);
    const MapMesh* far = Location.GetQuadWater(0, 0, -1, water);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(far->data.indexCount, 4u * 24u); // patches of 8 x 8 steps with both corners wet
}

} // namespace
