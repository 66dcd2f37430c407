// The location-map writer: where header, chunks, block records and planes land, and the derived
// planes on small maps.
#include "tools/map/map_derived.h"
#include "tools/map/map_writer.h"

#include "tests/support/le_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

using namespace zoq::tools::map;
using zoq::test::U32At;
using zoq::test::ValueAt;

// Byte offsets inside a block's data.
size_t HalfAt(int plane, int x, int y)
{
    return 4 + size_t(plane) * kHalfPlaneBytes + (size_t(y) * kHalfSide + size_t(x)) * 4;
}

size_t FullAt(int plane, int x, int y)
{
    return 4 + 4 * kHalfPlaneBytes + size_t(plane) * kFullPlaneBytes
        + (size_t(y) * kFullSide + size_t(x)) * 4;
}

std::string TextAt(const Bytes& bytes, size_t at)
{
    return reinterpret_cast<const char*>(bytes.data() + at);
}

TEST(MapWriter, placesHeaderChunksBlockTableAndBlocks)
{
    LocationMap map = LocationMap::Flat(130, 70, "Тест");
    map.horizon = "MOD_HOR";
    map.surfaces.push_back({ .level = -4.0f, .texture1 = "TEX_WATER", .kind = 2, .texture2 = "TEX_WATER2" });
    map.weather.push_back({ .kind = 1, .weight = 2.5f, .sky1 = "TEX_SKY", .fog2Away = 0xFF102030u });
    map.extraChunks.push_back({ 9, {} });
    map.blockSurfaces[4] = 0; // block (1, 1)
    map.blockSurfaces[5] = 7; // past the records: written as given
    map.heights[map.PointIndex(100, 69)] = 12.0f;

    MapLayout layout;
    const Bytes bytes = WriteMap(map, &layout);
    EXPECT_EQ(map.BlocksX(), 3);
    EXPECT_EQ(map.BlocksY(), 2);

    EXPECT_EQ(ValueAt<uint16_t>(bytes, 4), u'Т');
    EXPECT_EQ(ValueAt<uint16_t>(bytes, 10), u'т');
    EXPECT_EQ(ValueAt<uint16_t>(bytes, 12), 0);
    EXPECT_EQ(ValueAt<int32_t>(bytes, 132), 130);
    EXPECT_EQ(ValueAt<int32_t>(bytes, 136), 70);
    EXPECT_EQ(U32At(bytes, 140), 3u);
    EXPECT_EQ(TextAt(bytes, 144), "MOD_HOR");

    const size_t surfaces = kHeaderSize;
    const size_t environment = surfaces + kChunkHeaderSize + kSurfaceRecordSize;
    const size_t extra = environment + kChunkHeaderSize + kEnvironmentHeadSize + kWeatherRecordSize;
    ASSERT_EQ(layout.chunks, (std::vector<size_t> { surfaces, environment, extra }));
    EXPECT_EQ(U32At(bytes, surfaces), kSurfaceChunk);
    EXPECT_EQ(U32At(bytes, surfaces + 8), kSurfaceRecordSize);
    const size_t record = surfaces + kChunkHeaderSize;
    EXPECT_EQ(ValueAt<float>(bytes, record + 20), -4.0f);
    EXPECT_EQ(TextAt(bytes, record + 24), "TEX_WATER");
    EXPECT_EQ(ValueAt<int32_t>(bytes, record + 68), 2);
    EXPECT_EQ(TextAt(bytes, record + 132), "TEX_WATER2");

    EXPECT_EQ(U32At(bytes, environment), kEnvironmentChunk);
    EXPECT_EQ(U32At(bytes, environment + 8), kEnvironmentHeadSize + kWeatherRecordSize);
    const size_t head = environment + kChunkHeaderSize;
    EXPECT_EQ(U32At(bytes, head), 1u);
    EXPECT_EQ(TextAt(bytes, head + 4), "MOD_HOR");
    const size_t weather = head + kEnvironmentHeadSize;
    EXPECT_EQ(bytes[weather + 64], 1);
    EXPECT_EQ(ValueAt<float>(bytes, weather + 268), 2.5f);
    EXPECT_EQ(TextAt(bytes, weather + 272), "TEX_SKY");
    EXPECT_EQ(U32At(bytes, weather + 372), 0xFF102030u);
    EXPECT_EQ(U32At(bytes, extra), 9u);
    EXPECT_EQ(U32At(bytes, extra + 8), 0u);

    EXPECT_EQ(layout.blockTable, extra + kChunkHeaderSize);
    ASSERT_EQ(layout.blocks.size(), 6u);
    for (size_t n = 0; n < 6; ++n) {
        const size_t entry = layout.blockTable + n * kBlockRecordSize;
        EXPECT_EQ(layout.blocks[n], layout.blockTable + 6 * kBlockRecordSize + n * kBlockDataSize);
        EXPECT_EQ(U32At(bytes, entry), layout.blocks[n]);
        EXPECT_EQ(ValueAt<float>(bytes, entry + 4), 640.0f * float(n % 3)) << n;
        EXPECT_EQ(ValueAt<float>(bytes, entry + 8), 640.0f * float(n / 3)) << n;
        EXPECT_EQ(ValueAt<float>(bytes, entry + 16), 640.0f * float(n % 3 + 1)) << n;
        EXPECT_EQ(ValueAt<int32_t>(bytes, layout.blocks[n]), n == 4 ? 0 : n == 5 ? 7 : -1) << n;
    }
    EXPECT_EQ(layout.end, bytes.size());
    EXPECT_EQ(bytes.size(), layout.blocks[5] + kBlockDataSize);

    // Block (1, 1): its box reaches the water level and the raised point.
    const size_t box = layout.blockTable + 4 * kBlockRecordSize;
    EXPECT_EQ(ValueAt<float>(bytes, box + 12), -4.0f);
    EXPECT_EQ(ValueAt<float>(bytes, box + 24), 12.0f);
}

TEST(MapWriter, sharesEdgePointsAndRepeatsTheMapEdgePastIt)
{
    LocationMap map = LocationMap::Flat(100, 65);
    map.heights[map.PointIndex(64, 3)] = 7.25f;
    map.heights[map.PointIndex(99, 10)] = -3.0f;
    map.materials[map.PointIndex(64, 3)] = 0x8003;
    map.water[map.PointIndex(64, 3)] = 1;
    map.colours[map.PointIndex(66, 4)] = 0xFF112233u;
    MapLayout layout;
    const Bytes bytes = WriteMap(map, &layout);
    ASSERT_EQ(layout.blocks.size(), 2u);
    const size_t left = layout.blocks[0];
    const size_t right = layout.blocks[1];
    EXPECT_EQ(ValueAt<float>(bytes, left + FullAt(0, 64, 3)), 7.25f);
    EXPECT_EQ(ValueAt<float>(bytes, right + FullAt(0, 0, 3)), 7.25f);
    const uint32_t word = U32At(bytes, right + FullAt(1, 0, 3));
    EXPECT_EQ(word >> 16, 0x8003u);
    EXPECT_EQ((word >> 8) & 0xFF, 1u);
    // Columns 100..128 of the right block repeat column 99.
    EXPECT_EQ(ValueAt<float>(bytes, right + FullAt(0, 35, 10)), -3.0f);
    EXPECT_EQ(ValueAt<float>(bytes, right + FullAt(0, 64, 10)), -3.0f);
    EXPECT_EQ(U32At(bytes, right + HalfAt(1, 1, 2)), 0xFF112233u);
    EXPECT_EQ(U32At(bytes, right + FullAt(2, 2, 4)), 0xFF112233u);
}

TEST(MapWriter, halfPlanesComeFromTheEvenPoints)
{
    LocationMap map = LocationMap::Flat(65, 65);
    map.heights[map.PointIndex(4, 6)] = 7.6f;
    map.heights[map.PointIndex(5, 6)] = 99.0f; // odd: not in the half planes
    map.heights[map.PointIndex(8, 6)] = -40000.0f;
    map.water[map.PointIndex(4, 6)] = 1;
    MapLayout layout;
    const Bytes bytes = WriteMap(map, &layout);
    const size_t block = layout.blocks[0];
    const uint32_t point = U32At(bytes, block + HalfAt(0, 2, 3));
    EXPECT_EQ(int16_t(point & 0xFFFF), 8);
    EXPECT_NE(point >> 24, 0u);
    EXPECT_EQ(int16_t(U32At(bytes, block + HalfAt(0, 3, 3)) & 0xFFFF), 0);
    EXPECT_EQ(int16_t(U32At(bytes, block + HalfAt(0, 4, 3)) & 0xFFFF), -32768);
    EXPECT_EQ(U32At(bytes, block + HalfAt(0, 3, 3)) >> 24, 0u);
    EXPECT_EQ(U32At(bytes, block + HalfAt(3, 2, 3)), U32At(bytes, block + FullAt(4, 4, 6)));
    EXPECT_EQ(U32At(bytes, block + HalfAt(2, 2, 3)), U32At(bytes, block + FullAt(3, 4, 6)));
}

// z = 0.5 x + 0.25 y in world units.
LocationMap Plane()
{
    LocationMap map = LocationMap::Flat(65, 65);
    for (int gy = 0; gy < 65; ++gy)
        for (int gx = 0; gx < 65; ++gx)
            map.heights[map.PointIndex(gx, gy)] = 0.5f * kStep * float(gx) + 0.25f * kStep * float(gy);
    return map;
}

TEST(MapDerived, planeNormalsAreExactInsideAndOnTheEdges)
{
    const LocationMap map = Plane();
    const float length = std::sqrt(0.25f + 0.0625f + 1.0f);
    for (auto [gx, gy] : { std::pair { 10, 20 }, { 0, 0 }, { 64, 64 }, { 0, 33 } }) {
        const Vec3 n = PointNormal(map, gx, gy);
        EXPECT_NEAR(n[0], -0.5f / length, 1e-6f) << gx << "," << gy;
        EXPECT_NEAR(n[1], -0.25f / length, 1e-6f);
        EXPECT_NEAR(n[2], 1.0f / length, 1e-6f);
    }
    const uint32_t packed = PackNormal(PointNormal(map, 10, 20));
    EXPECT_NEAR(int16_t(packed & 0xFFFF) / 32766.0f, -0.5f / length, 1e-4f);
    EXPECT_NEAR(int16_t(packed >> 16) / 32766.0f, -0.25f / length, 1e-4f);
    MapLayout layout;
    const Bytes bytes = WriteMap(map, &layout);
    EXPECT_EQ(U32At(bytes, layout.blocks[0] + FullAt(4, 10, 20)), packed);
}

TEST(MapDerived, aPlaneLeavesOutEveryMiddlePointAndNoCorner)
{
    const LocationMap map = Plane();
    EXPECT_EQ(OmissionBits(map, 3, 4), 7);
    EXPECT_EQ(OmissionBits(map, 3, 5), 7);
    EXPECT_EQ(OmissionBits(map, 4, 4), 0);
    EXPECT_TRUE(FarOmissible(map, 2, 4));
    EXPECT_TRUE(FarOmissible(map, 2, 2));
    EXPECT_FALSE(FarOmissible(map, 4, 8));
}

TEST(MapDerived, omissionBitsFollowTheDistanceFromTheCornerInterpolation)
{
    struct Case {
        float bump;
        uint8_t bits;
    };
    for (const Case& c : { Case { 0.5f, 7 }, { 0.6f, 6 }, { 2.0f, 6 }, { 5.0f, 4 }, { 6.5f, 0 } }) {
        LocationMap map = LocationMap::Flat(65, 65);
        map.heights[map.PointIndex(5, 8)] = c.bump; // the middle of an edge
        map.heights[map.PointIndex(9, 9)] = c.bump; // a block centre
        EXPECT_EQ(OmissionBits(map, 5, 8), c.bits) << c.bump;
        EXPECT_EQ(OmissionBits(map, 9, 9), c.bits) << c.bump;
        EXPECT_EQ(FullPointWord(map, 5, 8) & 0xFF, c.bits);
    }
    // A centre lies on its block's split diagonal: from the first corner when column + row is even.
    LocationMap map = LocationMap::Flat(65, 65);
    map.heights[map.PointIndex(0, 0)] = 4.0f;
    map.heights[map.PointIndex(1, 1)] = 2.0f;
    EXPECT_EQ(OmissionBits(map, 1, 1), 7);
    map.heights[map.PointIndex(2, 0)] = 4.0f; // block (1, 0) splits from (4, 0) to (2, 2)
    map.heights[map.PointIndex(3, 1)] = 2.0f;
    EXPECT_EQ(OmissionBits(map, 3, 1), 6);
}

TEST(MapDerived, farOmissionUsesTheHalfResolutionHeights)
{
    LocationMap map = LocationMap::Flat(65, 65);
    map.heights[map.PointIndex(2, 4)] = 10.4f; // rounds to 10
    map.heights[map.PointIndex(6, 4)] = 10.6f; // rounds to 11
    EXPECT_TRUE(FarOmissible(map, 2, 4));
    EXPECT_FALSE(FarOmissible(map, 6, 4));
    EXPECT_NE(HalfPointWord(map, 2, 4) & (1u << 19), 0u);
    EXPECT_EQ(HalfPointWord(map, 6, 4) & (1u << 19), 0u);
}

uint32_t Nibble(uint32_t word, size_t i)
{
    return (word >> (4 * i)) & 0xF;
}

TEST(MapDerived, hourNibblesOfFlatGroundFollowTheSunsHeight)
{
    const LocationMap map = LocationMap::Flat(65, 65);
    const std::vector<uint8_t> shadows = ShadowMasks(map);
    EXPECT_EQ(std::count(shadows.begin(), shadows.end(), 0), 65 * 65);
    const uint32_t word = LightWord(PointNormal(map, 30, 30), shadows[map.PointIndex(30, 30)]);
    for (size_t i = 0; i < kLightHours.size(); ++i) {
        const Vec3 sun = SunDirection(kLightHours[i]);
        EXPECT_NEAR(std::hypot(sun[0], sun[1], sun[2]), 1.0f, 1e-6f);
        EXPECT_GT(sun[2], 0.0f) << kLightHours[i];
        EXPECT_EQ(Nibble(word, i), uint32_t(15.0f * (1.0f - sun[2]))) << kLightHours[i];
    }
    // Around noon the sun stands highest: the ground is lightest.
    EXPECT_LE(Nibble(word, 3), Nibble(word, 0));
    EXPECT_LE(Nibble(word, 4), Nibble(word, 7));
}

TEST(MapDerived, hourNibbleIsDarkInShadowAndFacingAway)
{
    for (size_t hour : { size_t(0), size_t(7) }) {
        const Vec3 sun = SunDirection(kLightHours[hour]);
        const float flat = std::hypot(sun[0], sun[1]);
        LocationMap map = LocationMap::Flat(65, 65);
        const int wallX = 32 + int(std::lround(sun[0] / flat * 4));
        const int wallY = 32 + int(std::lround(sun[1] / flat * 4));
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                map.heights[map.PointIndex(wallX + dx, wallY + dy)] = 200.0f;
        const std::vector<uint8_t> shadows = ShadowMasks(map);
        const uint8_t behind = shadows[map.PointIndex(32, 32)];
        EXPECT_NE(behind & (1u << hour), 0u);
        EXPECT_EQ(behind & 0x18u, 0u) << "the noon sun stands over the wall";
        EXPECT_EQ(Nibble(LightWord(PointNormal(map, 32, 32), behind), hour), 15u);
        const int frontX = 2 * wallX - 32;
        const int frontY = 2 * wallY - 32;
        EXPECT_EQ(shadows[map.PointIndex(frontX, frontY)] & (1u << hour), 0u) << "the sunny side";
    }

    // A steep slope that faces away from the morning sun.
    const Vec3 morning = SunDirection(kLightHours[0]);
    LocationMap slope = LocationMap::Flat(65, 65);
    for (int gy = 0; gy < 65; ++gy)
        for (int gx = 0; gx < 65; ++gx)
            slope.heights[slope.PointIndex(gx, gy)] = 40.0f
                * (morning[0] * float(gx) + morning[1] * float(gy)) / std::hypot(morning[0], morning[1]);
    const Vec3 n = PointNormal(slope, 32, 32);
    ASSERT_LT(n[0] * morning[0] + n[1] * morning[1] + n[2] * morning[2], 0.0f);
    EXPECT_EQ(Nibble(LightWord(n, 0), 0), 15u);
    EXPECT_EQ(Nibble(LightWord(n, 0), 7), 0u);
}

TEST(MapWriter, theSameMapGivesTheSameBytes)
{
    LocationMap map = Plane();
    map.heights[map.PointIndex(7, 9)] = 33.0f;
    map.weather.push_back({ .sky1 = "TEX_SKY" });
    EXPECT_EQ(WriteMap(map), WriteMap(map));
}

TEST(MapWriter, refusesWhatTheFormatCannotHold)
{
    const auto refuses = [](LocationMap map, const char* what) {
        try {
            WriteMap(map);
            ADD_FAILURE() << "wrote " << what;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
        }
    };
    refuses(LocationMap::Flat(1, 65), "points");
    refuses(LocationMap::Flat(65, 4098), "points");
    LocationMap shortPlane = LocationMap::Flat(65, 65);
    shortPlane.water.pop_back();
    refuses(shortPlane, "water");
    LocationMap longName = LocationMap::Flat(65, 65, std::string(64, 'x'));
    refuses(longName, "name");
    LocationMap longTexture = LocationMap::Flat(65, 65);
    longTexture.surfaces.push_back({ .texture1 = std::string(32, 'T') });
    refuses(longTexture, "texture1");
    LocationMap longHorizon = LocationMap::Flat(65, 65);
    longHorizon.horizon = std::string(160, 'H');
    refuses(longHorizon, "horizon");
}

} // namespace
