// The cell object grid, the terrain rays, the horizon bend and the ground colour.
#include "tests/world/terrain/terrain_fixture.h"

#include "foundation/Color.h"
#include "world/objects/CZJObject.h"

#include <cstring>

namespace {

using GridTest = TerrainTest;

int CellsHolding(const CZJObject* object)
{
    int n = 0;
    for (int row = 0; row < kGridCells; ++row) {
        for (int column = 0; column < kGridCells; ++column) {
            const int index = Location.Cell(column, row).objects.IndexOf(object);
            n += index >= 0 ? 1 : 0;
        }
    }
    return n;
}

CZJObject& Spread(CZJObject& object, float radius)
{
    object.hitByRays = 1;
    object.solid = 0;
    object.radius = radius;
    return object;
}

TEST_F(GridTest, ASpreadObjectLeavesNoCellBehind)
{
    Load(LocationMap::Flat(321, 321)); // 5 x 5 cells
    CZJObject big;
    Spread(big, 700.0f);
    const Vec3 middle { 640 * 2 + 320, 640 * 2 + 320, 0 };
    Location.AddCellObject(middle, &big, true);
    EXPECT_EQ(CellsHolding(&big), 9);
    Location.AddCellObject(middle, &big, true);
    EXPECT_EQ(CellsHolding(&big), 9); // no duplicate on re-add
    EXPECT_EQ(Location.Cell(2, 2).objects.Count(), 1);
    const Vec3 within { middle.x + 100, middle.y - 200, 0 };
    Location.MoveCellObject(middle, within, &big);
    EXPECT_EQ(CellsHolding(&big), 9);
    const Vec3 corner { 100, 100, 0 };
    Location.MoveCellObject(within, corner, &big);
    EXPECT_EQ(CellsHolding(&big), 4); // re-filed over its new square, clamped to the map
    EXPECT_GE(Location.Cell(0, 0).objects.IndexOf(&big), 0);
    EXPECT_EQ(Location.Cell(2, 2).objects.IndexOf(&big), -1);
    Location.DeleteCellObject(corner, &big);
    EXPECT_EQ(CellsHolding(&big), 0);
    EXPECT_FALSE(LogExists());
}

TEST_F(GridTest, OnlyCollidableNonSphereObjectsSpread)
{
    Load(LocationMap::Flat(321, 321));
    struct Case {
        const char* name;
        void (*set)(CZJObject&);
        int cells;
    } const cases[] = {
        { "collidable", [](CZJObject&) {}, 9 },
        { "not collidable", [](CZJObject& o) { o.hitByRays = 0; }, 1 },
        { "a sphere", [](CZJObject& o) { o.solid = 1; }, 1 },
        { "first class flag", [](CZJObject& o) { o.classFlag0 = 1; }, 1 },
        { "collision notice", [](CZJObject& o) { o.collisionNotice = 1; }, 1 },
        { "targetable", [](CZJObject& o) { o.targetable = 1; }, 9 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CZJObject object;
        c.set(Spread(object, 700.0f));
        const Vec3 middle { 1600, 1600, 0 };
        Location.AddCellObject(middle, &object, true);
        EXPECT_EQ(CellsHolding(&object), c.cells);
        Location.DeleteCellObject(middle, &object);
        EXPECT_EQ(CellsHolding(&object), 0);
    }
}

TEST_F(GridTest, ObjectsFiledUnderTheObjectsGridAreClearedAfterTheMapLoads)
{
    Location.Purge();
    Location.blocksX = Location.blocksY = 64; // as while the objects file is read
    CZJObject far;
    far.type = 3;
    Location.AddCellObject(Vec3 { 640 * 10 + 5, 5, 0 }, &far, false);
    CZJObject outside;
    Location.AddCellObject(Vec3 { -10, 5, 0 }, &outside, false);
    CZJObject edge;
    Location.AddCellObject(Vec3 { -5, 5, 0 }, &edge, false);
    EXPECT_EQ(Location.Cell(0, 0).objects.IndexOf(&edge), 0);
    EXPECT_EQ(CellsHolding(&outside), 0);
    zoq::test::WriteBytes("map.zjp", zoq::tools::map::WriteMap(LocationMap::Flat(65, 65)));
    ASSERT_TRUE(g_PakManager.Open("map.zjp"));
    Map::Load(Location);
    g_PakManager.CloseFile();
    EXPECT_EQ(CellsHolding(&far), 1); // the lists the objects read filled are kept
    Location.DeleteCellObject(Vec3 { 640 * 10 + 5, 5, 0 }, &far);
    EXPECT_EQ(CellsHolding(&far), 0);
    Location.DeleteCellObject(Vec3 { 5, 5, 0 }, &far);
    EXPECT_EQ(LogLineCount("CLocation::DeleteCellObject Object not deleted. Type=3"), 1);
    Location.DeleteCellObject(Vec3 { -10, 5, 0 }, &outside); // outside the map: ignored
    EXPECT_EQ(LogLineCount(""), 1);
}

using RaysTest = TerrainTest;

TEST_F(RaysTest, TheRoughRaySamplesAtGrowingSteps)
{
    struct Case {
        float wall; // world x where the ground rises
        float sample;
    } const cases[] = { { 5, 10 }, { 20, 40 }, { 60, 110 }, { 200, 260 }, { 300, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wall);
        Load(Shaped(
            65, 65, [&](int gx, int) { return 10.0f * float(gx) >= c.wall + 100.0f ? 500.0f : 0.0f; }));
        Location.LoadCell(0, 0, 0);
        Vec3 out {};
        const bool hit
            = Location.GetRoughRayIntersection(Vec3 { 100, 300, 50 }, Vec3 { 1, 0, 0 }, 290.0f, out);
        EXPECT_EQ(hit, c.sample > 0);
        if (hit) {
            EXPECT_FLOAT_EQ(out.x, 100.0f + c.sample);
        }
    }
}

TEST_F(RaysTest, CrossingsAndExactRays)
{
    Load(Shaped(65, 65, [](int gx, int) { return float(gx); })); // z = x / 10
    Location.GetHeight(Vec3 { 1, 1, 0 }, false, true);
    Vec3 out {};
    EXPECT_TRUE(Location.FindTerrainCrossing(Vec3 { 100, 50, 20 }, Vec3 { 300, 50, 20 }, out));
    EXPECT_NEAR(out.x, 200.0f, 1e-3f);
    EXPECT_FALSE(Location.FindTerrainCrossing(Vec3 { 100, 50, 5 }, Vec3 { 300, 50, 20 }, out)); // a below
    EXPECT_FLOAT_EQ(out.x, 100.0f);
    EXPECT_FALSE(Location.FindTerrainCrossing(Vec3 { 100, 50, 20 }, Vec3 { 150, 50, 15 }, out)); // b on it
    EXPECT_FLOAT_EQ(out.x, 150.0f);
    EXPECT_FALSE(Location.GetRayIntersection(Vec3 { 100, 50, 5 }, Vec3 { 1, 0, 0 }, 0.0f, out));
    EXPECT_TRUE(Location.GetRayIntersection(Vec3 { 100, 50, 30 }, Vec3 { 1, 0, 0 }, 400.0f, out));
    EXPECT_NEAR(out.x, 300.0f, 10.0f);
    EXPECT_NEAR(out.z, 30.0f, 1e-3f);
    EXPECT_FALSE(Location.GetRayIntersection(Vec3 { 100, 50, 30 }, Vec3 { 1, 0, 0 }, 150.0f, out));
}

TEST_F(RaysTest, TheHorizonBendFadesAndSinks)
{
    Location.SetViewRanges(256); // attenuation from 2.5 to 4 cells
    Location.cameraCell = Vec3 { 0, 0, 0 };
    struct Case {
        float d; // cell units
        float fade, sink;
    } const cases[] = { { 1.0f, 1.0f, 0.0f }, { 2.5f, 1.0f, 0.0f }, { 3.0f, 1.0f, -200.0f / 3.0f },
        { 3.25f, 1.0f, -100.0f }, { 4.0f, 0.75f, -200.0f } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        float fade = 0;
        float sink = 0;
        Location.GetAttenuation(Vec3 { c.d, 0, 0 }, fade, sink);
        EXPECT_NEAR(fade, c.fade, 1e-5f);
        EXPECT_NEAR(sink, c.sink, 1e-3f);
    }
    Matrix4 m { { 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 640 * 4, 0, 100, 1 } };
    Matrix4 bent = m;
    Location.BendToHorizon(bent, false);
    EXPECT_FLOAT_EQ(bent.m[10], 1.5f);
    EXPECT_FLOAT_EQ(bent.m[14], 0.75f * 100.0f - 200.0f);
    bent = m;
    Location.BendToHorizon(bent, true);
    EXPECT_FLOAT_EQ(bent.m[10], 2.0f);
    EXPECT_NEAR(bent.m[14], std::pow(0.75f, 0.25f) * 100.0f - 200.0f, 1e-3f);
    Vec3 point {};
    Location.BendPointToHorizon(point, Vec3 { 640 * 4, 0, 100 }, false);
    EXPECT_FLOAT_EQ(point.z, 0.75f * 100.0f - 200.0f);
    Location.bendHorizon = 0;
    bent = m;
    Location.BendToHorizon(bent, false);
    EXPECT_EQ(std::memcmp(&bent, &m, sizeof m), 0);
    Location.BendPointToHorizon(point, Vec3 { 640 * 4, 0, 100 }, true);
    EXPECT_FLOAT_EQ(point.z, 100.0f);
}

TEST_F(RaysTest, GroundColourFromEachBuffer)
{
    LocationMap map = LocationMap::Flat(65, 65);
    map.colours.assign(map.colours.size(), 0xFF406080u);
    map.materials.assign(map.materials.size(), 5); // unknown to the (absent) land materials
    Load(map);
    EXPECT_EQ(Location.GetGroundColor(100, 100), 0xFFFFFFu); // no buffer
    EXPECT_EQ(Location.GetGroundColor(-20, 100), 0xFFFFFFu);
    Location.LoadCell(0, 0, 0);
    EXPECT_EQ(Location.GetGroundColor(100, 100), 0xFF406080u); // unknown material: the vertex colour
    Location.LoadCell(0, 0, 4);
    EXPECT_EQ(Location.GetGroundColor(100, 100), 0xFF406080u); // half buffer first
    EXPECT_EQ(Location.GetVertexColor(100, 100), 0xFF406080u);
    EXPECT_EQ(ColorMul(0xFF8040FFu, 0x80FF80FFu), 0x007F20FEu);
    EXPECT_EQ(ColorScale(0xFF8040FFu, 128), 0x0040207Fu);
    EXPECT_EQ(ColorScale(0xFF8040FFu, 256), 0x008040FFu);
}

} // namespace
