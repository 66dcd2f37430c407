// The spatial queries on the grid: rays against spheres and boxes, the cells a ray searches, the
// physics' ground ray, and the radius query.
#include "tests/world/objects/grid_fixture.h"

#include "tools/model/model_writer.h"
#include "world/objects/CPhysics.h"

#include <cmath>
#include <limits>

namespace {

class QueriesTest : public GridTest {
protected:
    // A box of half size 10 that rays meet by its polygons.
    Probe* Block(const Vec3& p)
    {
        Probe* block = Add(p, "block", 18.0f);
        block->solid = 0;
        block->shape = &m_box;
        return block;
    }

    XDynamicArray<SCollisionTriangle> m_box = Box(Vec3 { 10, 10, 10 });
};

TEST_F(QueriesTest, aRayReportsTheNearestHitOrEndsAtItsLength)
{
    const Vec3 origin { 1000, 1000, 10 };
    const Vec3 east { 1, 0, 0 };
    Vec3 end {};
    CZJObject* hit = nullptr;
    EXPECT_FALSE(list->GetRayIntersection(origin, east, 500.0f, end, nullptr, hit));
    EXPECT_EQ(hit, nullptr);
    EXPECT_FLOAT_EQ(end.x, 1500.0f);

    Probe* farther = Add(Vec3 { 1200, 1000, 10 }, "farther", 5.0f);
    Probe* nearer = Add(Vec3 { 1100, 1000, 10 }, "nearer", 5.0f);
    ASSERT_TRUE(list->GetRayIntersection(origin, east, 500.0f, end, nullptr, hit));
    EXPECT_EQ(hit, nearer);
    EXPECT_NEAR(end.x, 1095.0f, 1e-3f);
    // The ignored object is never reported; the one behind it is.
    ASSERT_TRUE(list->GetRayIntersection(origin, east, 500.0f, end, nearer, hit));
    EXPECT_EQ(hit, farther);
}

TEST_F(QueriesTest, polygonsAreMetFromTheFrontOnly)
{
    Probe* block = Block(Vec3 { 1100, 1000, 10 });
    Vec3 end {};
    CZJObject* hit = nullptr;
    ASSERT_TRUE(
        list->GetRayIntersection(Vec3 { 1000, 1000, 12 }, Vec3 { 1, 0, 0 }, 500.0f, end, nullptr, hit));
    EXPECT_EQ(hit, block);
    EXPECT_NEAR(end.x, 1090.0f, 1e-3f);
    // From inside the box every face is met from behind.
    EXPECT_FALSE(
        list->GetRayIntersection(Vec3 { 1100, 1000, 12 }, Vec3 { 1, 0, 0 }, 500.0f, end, nullptr, hit));
    EXPECT_FLOAT_EQ(
        list->GetRayIntersectionPolygon(Vec3 { 1000, 1000, 12 }, Vec3 { 1, 0, 0 }, 50.0f, block, false),
        -1.0f);
}

// The writer's building, read as the game reads it: a ray from outside meets the face nearest to
// it, from every side; from inside, nothing.
TEST_F(QueriesTest, aWrittenBuildingIsMetOnItsNearFaces)
{
    SModelFile file;
    ASSERT_TRUE(zoq::tools::model::MakeModel("building", "", file));
    std::erase_if(
        file.parts, [](const SModelPartBlock& part) { return part.record.type != modelfile::kPartShape; });
    const zoq::tools::model::Bytes bytes = zoq::tools::model::EncodeModelFile(file);
    CComplexObject model;
    model.Load(bytes.data(), bytes.size());
    Probe* building = Add(Vec3 { 1100, 1000, 10 }, "building", 9.0f);
    building->solid = 0;
    building->shape = &model.GetShape(0);

    struct SCase {
        Vec3 origin;
        Vec3 dir;
        Vec3 end;
    };
    // Off the faces' diagonals, where a point on the shared edge belongs to neither triangle.
    const SCase cases[] = {
        { { 1000, 1001, 11 }, { 1, 0, 0 }, { 1095, 1001, 11 } },
        { { 1200, 1001, 11 }, { -1, 0, 0 }, { 1105, 1001, 11 } },
        { { 1101, 900, 11 }, { 0, 1, 0 }, { 1101, 995, 11 } },
        { { 1101, 1100, 11 }, { 0, -1, 0 }, { 1101, 1005, 11 } },
        { { 1101, 1001, 100 }, { 0, 0, -1 }, { 1101, 1001, 14 } },
    };
    for (const SCase& c : cases) {
        Vec3 end {};
        CZJObject* hit = nullptr;
        ASSERT_TRUE(list->GetRayIntersection(c.origin, c.dir, 500.0f, end, nullptr, hit));
        EXPECT_EQ(hit, building);
        EXPECT_NEAR(end.x, c.end.x, 1e-3f);
        EXPECT_NEAR(end.y, c.end.y, 1e-3f);
        EXPECT_NEAR(end.z, c.end.z, 1e-3f);
    }
    Vec3 end {};
    CZJObject* hit = nullptr;
    EXPECT_FALSE(
        list->GetRayIntersection(Vec3 { 1101, 1001, 11 }, Vec3 { 1, 0, 0 }, 500.0f, end, nullptr, hit));
}

TEST_F(QueriesTest, aRayFromColumnOneNeverReportsColumnZero)
{
    Probe* west = Add(Vec3 { 500, 1000, 10 }, "west", 5.0f);
    Vec3 end {};
    CZJObject* hit = nullptr;
    EXPECT_FALSE(
        list->GetRayIntersection(Vec3 { 700, 1000, 10 }, Vec3 { -1, 0, 0 }, 400.0f, end, nullptr, hit));
    // Column 0 is searched as the origin's own cell.
    EXPECT_TRUE(
        list->GetRayIntersection(Vec3 { 600, 1000, 10 }, Vec3 { -1, 0, 0 }, 400.0f, end, nullptr, hit));
    EXPECT_EQ(hit, west);
}

TEST_F(QueriesTest, anOriginOffTheGridIsHarmless)
{
    Probe* inside = Add(Vec3 { 1000, 1000, 10 }, "inside", 5.0f);
    Vec3 end { 7, 7, 7 };
    CZJObject* hit = nullptr;
    // The origin's cell is outside; the cells the ray crosses are searched.
    EXPECT_TRUE(
        list->GetRayIntersection(Vec3 { -3000, 1000, 10 }, Vec3 { 1, 0, 0 }, 5000.0f, end, nullptr, hit));
    EXPECT_EQ(hit, inside);
    EXPECT_FALSE(
        list->GetRayIntersection(Vec3 { -1e30f, 1e30f, 10 }, Vec3 { 1, 0, 0 }, 1e30f, end, nullptr, hit));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(list->GetRayIntersection(Vec3 { nan, 0, 0 }, Vec3 { 1, 0, 0 }, 10.0f, end, nullptr, hit));
    end = Vec3 { 7, 7, 7 };
    EXPECT_FALSE(list->GetRayIntersection2(Vec3 { -3000, 1000, 10 }, Vec3 { 1, 0, 0 }, 5000.0f, end, hit));
    EXPECT_FLOAT_EQ(end.x, 7.0f);
}

TEST_F(QueriesTest, aFullCellListStopsAddingAndIsLoggedOncePerRun)
{
    // The full 64 x 64 grid: the diagonal's cells and their neighbours pass 100. The far sphere
    // reaches the diagonal from the cell beside it, (58, 59), a neighbour listed too late.
    Location.blocksX = Location.blocksY = 64;
    Probe* near = Add(Vec3 { 1000, 1000, 10 }, "near", 5.0f);
    Add(Vec3 { 58.5f * kCell, 59.5f * kCell, 10 }, "far", 700.0f);
    const Vec3 diagonal { 0.70710678f, 0.70710678f, 0 };
    Vec3 end {};
    CZJObject* hit = nullptr;
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(
            list->GetRayIntersection(Vec3 { 2000, 2000, 10 }, diagonal, 52000.0f, end, nullptr, hit));
        EXPECT_TRUE(list->GetRayIntersection(Vec3 { 700, 700, 10 }, diagonal, 52000.0f, end, nullptr, hit));
        EXPECT_EQ(hit, near);
    }
    EXPECT_EQ(LogLineCount("CObjectList::GetRayIntersection cell list is full"), 1);
}

TEST_F(QueriesTest, theGroundRaySeesOnlyTheOriginCellsNonSolidObjects)
{
    const Vec3 down { 0, 0, -1 };
    Probe* roof = Block(Vec3 { 1000, 1000, 10 });
    Add(Vec3 { 1000, 1000, -20 }, "solid", 5.0f);
    // Filed in column 2 only (collision notices keep it from spreading), reaching into column 1.
    Probe* neighbour = Block(Vec3 { 1280, 1000, 10 });
    neighbour->collisionNotice = 1;
    Location.AddCellObject(neighbour->frame.position, neighbour, true);
    Vec3 end {};
    CZJObject* hit = nullptr;
    ASSERT_TRUE(list->GetRayIntersection2(Vec3 { 1000, 1000, 50 }, down, 100.0f, end, hit));
    EXPECT_EQ(hit, roof);
    EXPECT_NEAR(end.z, 20.0f, 1e-3f);
    EXPECT_FALSE(list->GetRayIntersection2(Vec3 { 1272, 1000, 50 }, down, 100.0f, end, hit));
    EXPECT_TRUE(list->GetRayIntersection2(Vec3 { 1285, 1000, 50 }, down, 100.0f, end, hit));
    EXPECT_EQ(hit, neighbour);
}

TEST_F(QueriesTest, theRadiusQueryTakesExactlyTheTypeAtMostFiftyAndEveryCellItTouches)
{
    const Vec3 centre { 1000, 1000, 10 };
    for (int i = 0; i < 60; ++i)
        Add(Vec3 { 1000.0f + float(i), 1000, 10 });
    Probe* tree = Add(centre, "tree");
    tree->type = CZJObject::kTree;
    SObjectQuery result {};
    list->GetRealTimeObjectList(centre, 100.0f, CZJObject::kStone, result);
    EXPECT_EQ(result.count, 50);
    list->GetRealTimeObjectList(centre, 100.0f, CZJObject::kTree, result);
    ASSERT_EQ(result.count, 1);
    EXPECT_EQ(result.objects[0], tree);
    list->GetRealTimeObjectList(centre, 100.0f, 0, result);
    EXPECT_EQ(result.count, 0);

    // Centre 2.5 cells, radius 0.9 cells: an object at 1.7 cells (cell 1) lies within.
    Probe* west = Add(Vec3 { 1.7f * kCell, 2.5f * kCell, 0 }, "west");
    west->type = CZJObject::kTower;
    list->GetRealTimeObjectList(
        Vec3 { 2.5f * kCell, 2.5f * kCell, 0 }, 0.9f * kCell, CZJObject::kTower, result);
    ASSERT_EQ(result.count, 1);
    EXPECT_EQ(result.objects[0], west);
}

// The physics' ground ray on the global list: a hovering object over a non-solid roof stands on
// the roof's top with a flat normal.
TEST_F(QueriesTest, aHoveringObjectOverANonSolidRoofTakesItsHeightAndAFlatNormal)
{
    Probe* roof = new Probe;
    roof->solid = 0;
    roof->radius = 18.0f;
    roof->shape = &m_box;
    roof->Place(Vec3 { 1000, 1000, 40 });
    ObjectList.AddObject(roof);
    Physics.onObject = 0;
    const Vec3 above { 1003, 998, 56 };
    EXPECT_NEAR(Physics.GetGroundHeight(above, nullptr), 50.0f, 1e-3f);
    EXPECT_EQ(Physics.onObject, 1);
    const Vec3 n = Physics.GetMapLNormal(above, false);
    EXPECT_EQ(n.z, 1.0f);
    // Beside the roof the ground is the terrain's again.
    EXPECT_NEAR(Physics.GetGroundHeight(Vec3 { 1100, 998, 56 }, nullptr), 0.0f, 1e-3f);
    EXPECT_EQ(Physics.onObject, 0);
    ObjectList.Clear();
}

} // namespace
