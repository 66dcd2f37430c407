// Height queries: the triangles and their diagonals, the map's edges, half and full buffers, the
// water rule, loading on demand, the buffer pools and the load queue.
#include "tests/world/terrain/terrain_fixture.h"

#include "foundation/XRangeError.h"

#include <cfloat>
#include <cmath>

namespace {

using zoq::tools::map::SurfaceRecord;

using HeightsTest = TerrainTest;

TEST_F(HeightsTest, APlaneIsExactOnBothDiagonals)
{
    auto plane = [](float x, float y) { return 0.25f * x - 0.125f * y + 17.0f; };
    Load(Shaped(129, 65, [&](int gx, int gy) { return plane(10.0f * float(gx), 10.0f * float(gy)); }));
    for (float y : { 3.0f, 77.5f, 101.0f, 333.3f, 639.0f }) {
        for (float x : { 1.0f, 14.0f, 26.0f, 642.5f, 1279.0f }) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_NEAR(Location.GetHeight(Vec3 { x, y, 0 }, false, true), plane(x, y), 1e-3f);
        }
    }
}

TEST_F(HeightsTest, AOnePointTentShowsTheDiagonal)
{
    Load(Shaped(65, 65, [](int gx, int gy) { return gx == 10 && gy == 10 ? 100.0f : 0.0f; }));
    struct Case {
        float x, y, height;
    } const cases[] = {
        { 107.5f, 102.5f, 25.0f }, // quad (10, 10), even: split (10, 10)-(11, 11)
        { 102.5f, 107.5f, 25.0f }, { 97.5f, 105.0f, 50.0f }, // quad (9, 10), odd: split (10, 10)-(9, 11)
        { 92.5f, 102.5f, 25.0f }, { 100.0f, 100.0f, 100.0f }, { 105.0f, 95.0f, 50.0f }, // quad (10, 9), odd
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_FLOAT_EQ(Location.GetHeight(Vec3 { c.x, c.y, 0 }, false, true), c.height);
    }
}

TEST_F(HeightsTest, TheEdgesOfTheMap)
{
    Load(Shaped(65, 65, [](int gx, int) { return 5.0f + float(gx); }));
    struct Case {
        float x;
        float height;
        float nearest;
    } const cases[] = {
        { -5.0f, 4.5f, 5.0f }, // column 0 with u = -0.5
        { -10.0f, 0.0f, 5.0f }, { -14.0f, 0.0f, 5.0f }, { -15.0f, 0.0f, 0.0f },
        { 634.0f, 68.4f, 68.0f }, // nearest point trunc(63.4 + 0.5) = 63 = width - 2
        { 630.0f, 68.0f, 68.0f }, { 640.0f, 0.0f, 0.0f }, // 10 x (width - 1)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(Location.GetHeight(Vec3 { c.x, 300, 0 }, false, true), c.height, 1e-4f);
        EXPECT_NEAR(Location.GetHeightAt(Vec3 { c.x, 300, 0 }, false), c.nearest, 1e-4f);
    }
}

// The square top bounds every height of its square on rough ground and large heights; the first
// row and column, where GetHeight extrapolates, have no bound, and outside the map it is 0.
TEST_F(HeightsTest, TheSquareTopBoundsEveryHeightOfItsSquare)
{
    Load(Shaped(65, 65, [](int gx, int gy) {
        return 9000.0f * std::sin(float(gx) * 1.7f) * std::cos(float(gy) * 2.3f)
            + float((gx * 7 + gy * 13) % 5);
    }));
    Location.GetHeight(Vec3 { 300, 300, 0 }, false, true);
    for (int gy = 1; gy < 63; gy += 3) {
        for (int gx = 1; gx < 63; gx += 3) {
            const float top = Location.GetSquareTop(gx, gy);
            for (float v = 0.0f; v < 1.0f; v += 0.0625f)
                for (float u = 0.0f; u < 1.0f; u += 0.0625f) {
                    const Vec3 p { 10.0f * (float(gx) + u), 10.0f * (float(gy) + v), 0.0f };
                    ASSERT_LE(Location.GetHeight(p, false, false), top)
                        << gx << "," << gy << " " << u << "," << v;
                }
        }
    }
    EXPECT_EQ(Location.GetSquareTop(0, 5), FLT_MAX);
    EXPECT_EQ(Location.GetSquareTop(5, 0), FLT_MAX);
    EXPECT_EQ(Location.GetSquareTop(64, 5), 0.0f);
    EXPECT_EQ(Location.GetSquareTop(5, 70), 0.0f);
}

TEST_F(HeightsTest, HalfBuffersGiveWholeHeightsAndFullBuffersFloats)
{
    Load(Shaped(65, 65, [](int, int) { return 12.75f; }));
    const Vec3 p { 200, 200, 0 };
    EXPECT_FLOAT_EQ(Location.GetHeightAt(p, false), 13.0f);
    ASSERT_NE(Location.Cell(0, 0).half, nullptr);
    EXPECT_EQ(Location.Cell(0, 0).full, nullptr);
    EXPECT_FLOAT_EQ(Location.GetHeight(p, false, false), 0.0f); // load false loads nothing
    EXPECT_EQ(Location.Cell(0, 0).full, nullptr);
    EXPECT_FLOAT_EQ(Location.GetHeight(p, false, true), 12.75f);
    EXPECT_FLOAT_EQ(Location.GetHeightAt(p, false), 12.75f);
    EXPECT_EQ(Location.Cell(0, 0).level, 0); // queries never set the level
    Location.Cell(0, 0).level = 4;
    Location.Cell(0, 0).full = nullptr;
    Location.GetHeight(p, false, true);
    EXPECT_EQ(Location.Cell(0, 0).level, 4);
}

TEST_F(HeightsTest, WaterLiftsLowPointsToTheLevelPlusThree)
{
    LocationMap map = Shaped(65, 65, [](int gx, int) { return gx < 32 ? 52.0f : 54.0f; });
    map.water.assign(map.water.size(), 1);
    SurfaceRecord pond;
    pond.level = 50.0f;
    map.surfaces = { pond };
    map.blockSurfaces = { 0 };
    Load(map);
    for (bool full : { false, true }) {
        SCOPED_TRACE(full);
        if (full)
            Location.GetHeight(Vec3 { 1, 1, 0 }, false, true);
        EXPECT_FLOAT_EQ(Location.GetHeightAt(Vec3 { 100, 100, 0 }, true), 53.0f);
        EXPECT_FLOAT_EQ(Location.GetHeightAt(Vec3 { 500, 100, 0 }, true), 54.0f);
        EXPECT_FLOAT_EQ(Location.GetHeightAt(Vec3 { 100, 100, 0 }, false), 52.0f);
    }
    EXPECT_FLOAT_EQ(Location.GetHeight(Vec3 { 100, 100, 0 }, true, false), 53.0f);
    EXPECT_FLOAT_EQ(Location.GetHeight(Vec3 { 500, 100, 0 }, true, false), 54.0f);
}

TEST_F(HeightsTest, GetCellReadsEachLayoutAndDefaultsToZeros)
{
    LocationMap map = Shaped(129, 65, [](int gx, int gy) { return float(gx + gy) + 0.25f; });
    map.colours.assign(map.colours.size(), 0xFF102030u);
    map.materials.assign(map.materials.size(), 3);
    Load(map);
    EXPECT_EQ(Location.GetCell(5, 6).GetLayout(), MapPointView::Layout::Default);
    EXPECT_FLOAT_EQ(Location.GetCell(5, 6).Height(), 0.0f);
    EXPECT_EQ(Location.GetCell(5, 6).Colour(), 0u);
    Location.LoadCell(0, 0, 4);
    const MapPointView half = Location.GetCell(5, 6);
    EXPECT_EQ(half.GetLayout(), MapPointView::Layout::Half);
    EXPECT_FLOAT_EQ(half.Height(), 10.0f); // the covering point (4, 6): 10.25 rounded
    EXPECT_EQ(half.Code(), 0u);
    EXPECT_EQ(half.Colour(), 0xFF102030u);
    Location.LoadCell(0, 0, 0);
    const MapPointView full = Location.GetCell(5, 6);
    EXPECT_EQ(full.GetLayout(), MapPointView::Layout::Full);
    EXPECT_FLOAT_EQ(full.Height(), 11.25f);
    EXPECT_EQ(full.Code() >> 16, 3u);
    EXPECT_NEAR(full.Normal().z, 1.0f / std::sqrt(1.02f), 1e-3f); // slope 0.1 both ways
    Location.LoadCell(1, 0, 0);
    EXPECT_FLOAT_EQ(Location.GetCell(128, 0).Height(), 128.25f); // the far edge point: last cell
    EXPECT_EQ(Location.GetCell(129, 0).GetLayout(), MapPointView::Layout::Default);
    EXPECT_EQ(Location.GetCell(-1, 0).GetLayout(), MapPointView::Layout::Default);
}

TEST_F(HeightsTest, PoolsOfTwoEvictTheOldestAndReloadOnQuery)
{
    Location.SizeBufferPools(2, 2);
    Load(Shaped(193, 65, [](int gx, int) { return float(gx); }));
    const Vec3 a { 100, 100, 0 };
    const Vec3 b { 700, 100, 0 };
    const Vec3 c { 1300, 100, 0 };
    GameClockF32 = 1.0f;
    Location.GetHeight(a, false, true);
    GameClockF32 = 2.0f;
    Location.GetHeight(b, false, true);
    GameClockF32 = 3.0f;
    Location.GetHeight(a, false, true); // a is used again: b is now the oldest
    GameClockF32 = 4.0f;
    EXPECT_FLOAT_EQ(Location.GetHeight(c, false, true), 130.0f);
    EXPECT_NE(Location.Cell(0, 0).full, nullptr);
    EXPECT_EQ(Location.Cell(1, 0).full, nullptr);
    EXPECT_FLOAT_EQ(Location.GetHeight(b, false, false), 0.0f);
    EXPECT_FLOAT_EQ(Location.GetHeight(b, false, true), 70.0f);
    EXPECT_EQ(Location.Cell(0, 0).full, nullptr);
    Location.SizeBufferPools(200, 100);
}

TEST_F(HeightsTest, TheQueueLoadsNearCellsFirstAndCountsTheFrame)
{
    Location.SizeBufferPools(1, 1);
    Load(Shaped(129, 65, [](int gx, int) { return float(gx); }));
    // A far and a near cell side by side: both load, and the near one is stitched to the far one.
    Location.Cell(1, 0).level = 4;
    Location.loadQueue[0] = CLocation::SQueuedLoad { 0, 1, 0, 4 };
    Location.loadQueue[1] = CLocation::SQueuedLoad { 1, 0, 0, 0 };
    Location.loadQueueCount = 2;
    const uint32_t before = Location.loadStats[2];
    Location.CycleLoad();
    EXPECT_EQ(Location.loadQueueCount, 0);
    EXPECT_EQ(Location.loadStats[2], before + 1);
    ASSERT_NE(Location.Cell(0, 0).full, nullptr);
    ASSERT_NE(Location.Cell(1, 0).half, nullptr);
    EXPECT_EQ(Location.Cell(0, 0).full->stitched[2], 1);
    // Near entries load first: a failing far entry queued before a near one leaves it loaded.
    Location.Purge();
    Load(Shaped(129, 65, [](int gx, int) { return float(gx); }));
    Location.loadQueue[0] = CLocation::SQueuedLoad { 0, 99, 0, 4 };
    Location.loadQueue[1] = CLocation::SQueuedLoad { 1, 1, 0, 0 };
    Location.loadQueueCount = 2;
    EXPECT_THROW(Location.CycleLoad(), XRangeError);
    EXPECT_NE(Location.Cell(1, 0).full, nullptr);
    ResetCallTrace();
    Location.loadQueue[0] = CLocation::SQueuedLoad { 200, 0, 0, 0 };
    Location.loadQueueCount = 1;
    EXPECT_THROW(Location.CycleLoad(), XRangeError);
    ResetCallTrace();
    Location.loadQueueCount = 0;
    Location.SizeBufferPools(200, 100);
}

} // namespace
