// The visibility pass: range, level, frustum, order, loads and re-stitching; and the water
// reflections made after it.
#include "tests/world/terrain/terrain_fixture.h"

#include "render/Graphic.h"
#include "tests/support/device_windows.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cstring>
#include <functional>

namespace {

using zoq::tools::map::SurfaceRecord;

class VisibilityTest : public TerrainTest {
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        Load(LocationMap::Flat(513, 257)); // 8 x 4 cells
    }
    // The camera at a cell position, 50 units up, looking along +x.
    static void CameraAt(float cx, float cy)
    {
        LookFrom(Vec3 { cx * 640.0f, cy * 640.0f, 50.0f }, Vec3 { 1, 0, 0 });
    }
    static const CLocation::SCandidate* Candidate(int column, int row)
    {
        for (int i = 0; i < Location.candidateCount; ++i) {
            if (Location.candidates[i].column == column && Location.candidates[i].row == row)
                return &Location.candidates[i];
        }
        return nullptr;
    }
    static bool Visible(int column, int row)
    {
        for (int i = 0; i < Location.visibleCount; ++i) {
            if (Location.visibleCells[i].column == column && Location.visibleCells[i].row == row)
                return true;
        }
        return false;
    }
};

TEST_F(VisibilityTest, RangeAndLevelByTheDistanceToTheCellsMiddle)
{
    struct Case {
        float cx;
        bool examined;
        int level;
    } const cases[] = { { 4.5f, true, 0 }, { 4.4f, true, 4 }, { 2.9f, false, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cx);
        CameraAt(c.cx, 1.5f); // cell (7, 1) is 3.0, 3.1 and 4.6 cells ahead
        Location.CycleSetVisibility();
        const CLocation::SCandidate* candidate = Candidate(7, 1);
        ASSERT_EQ(candidate != nullptr, c.examined);
        if (!c.examined)
            continue;
        EXPECT_EQ(candidate->level, c.level);
        EXPECT_TRUE(Visible(7, 1));
        EXPECT_EQ(Location.Cell(7, 1).level, c.level);
    }
    for (int i = 0; i + 1 < Location.visibleCount; ++i)
        EXPECT_LE(Location.visibleCells[i].d2, Location.visibleCells[i + 1].d2);
    for (int i = 0; i < Location.loadQueueCount; ++i) {
        const CLocation::SQueuedLoad& load = Location.loadQueue[i];
        EXPECT_EQ(Location.visibleCells[load.index].column, load.column);
        EXPECT_EQ(Location.visibleCells[load.index].row, load.row);
    }
}

TEST_F(VisibilityTest, TheFrustumTest)
{
    CameraAt(2.9f, 1.5f);
    Location.CycleSetVisibility();
    EXPECT_TRUE(Visible(2, 1)); // behind the camera, which stands in it
    EXPECT_FALSE(Visible(0, 1)); // behind
    EXPECT_NE(Candidate(0, 1), nullptr);
    EXPECT_TRUE(Visible(5, 1)); // ahead
    // Centre outside the view, the sphere reaching in: kept by the widened test point.
    const SCellRecord& side = Location.Cell(4, 3);
    EXPECT_FALSE(CLocation::IsSphereVisible(side.centre, 1.0f));
    EXPECT_TRUE(Visible(4, 3));
}

TEST_F(VisibilityTest, TheWindowIsClippedToTheMap)
{
    CameraAt(0.2f, 0.2f);
    Location.CycleSetVisibility();
    EXPECT_GT(Location.candidateCount, 0);
    for (int i = 0; i < Location.candidateCount; ++i) {
        EXPECT_GE(Location.candidates[i].column, 0);
        EXPECT_GE(Location.candidates[i].row, 0);
        EXPECT_LT(Location.candidates[i].column, 8);
        EXPECT_LT(Location.candidates[i].row, 4);
    }
}

TEST_F(VisibilityTest, AFarCellTurningNearIsReStitchedWithoutALoad)
{
    CameraAt(4.5f, 1.5f);
    Location.PreRender();
    ASSERT_NE(Location.Cell(4, 1).full, nullptr);
    MapCell* cached = Location.Cell(4, 1).full;
    CameraAt(0.5f, 1.5f);
    Location.PreRender();
    ASSERT_EQ(Location.Cell(4, 1).level, 4);
    ASSERT_NE(Location.Cell(4, 1).half, nullptr);
    EXPECT_EQ(Location.Cell(3, 1).full->stitched[2], 1);
    CameraAt(1.5f, 1.5f);
    Location.CycleSetVisibility();
    for (int i = 0; i < Location.loadQueueCount; ++i)
        EXPECT_FALSE(Location.loadQueue[i].column == 4 && Location.loadQueue[i].row == 1);
    EXPECT_EQ(Location.Cell(4, 1).full, cached);
    EXPECT_EQ(Location.Cell(3, 1).full->stitched[2], 0);
}

class WaterTest : public TerrainTest {
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
        EffectRenderManager.Init(1);
        FullReflection = 1;
    }
    void TearDown() override
    {
        ObjectList.Clear();
        FullReflection = 0;
        EffectRenderManager.FreeBuffers();
        g_Graphic.Release();
        TerrainTest::TearDown();
    }

    zoq::test::FakeWindow m_window;
};

TEST_F(WaterTest, OnlyReflectingWaterBelowTheCameraAndNeverTheFarthestCell)
{
    LocationMap map = LocationMap::Flat(321, 65);
    SurfaceRecord still;
    still.level = 10.0f;
    SurfaceRecord waves = still;
    waves.kind = 2;
    SurfaceRecord high = still;
    high.level = 500.0f;
    SurfaceRecord last = still;
    map.surfaces = { still, waves, high, last };
    map.blockSurfaces = { 0, 1, 2, 0, 3 };
    Load(map);
    for (int column = 0; column < 5; ++column) {
        Location.LoadCell(column, 0, 0);
        Location.visibleCells[column] = CLocation::SVisibleCell { float(column), column, 0 };
    }
    Location.visibleCount = 5;
    LookFrom(Vec3 { 300, 300, 100 }, Vec3 { 0.6f, 0.0f, -0.8f });
    const CViewFrame before = ViewFrame;
    int calls = 0;
    // An object so large that the reflected view is inside it: drawn once per reflection pass.
    auto* probe = new DrawProbe([&] {
        ++calls;
        float plane[4] = {};
        g_Graphic.GetDevice()->GetClipPlane(0, plane);
        EXPECT_FLOAT_EQ(plane[3], -10.0f);
        EXPECT_FLOAT_EQ(ViewFrame.position.z, 2.0f * 10.0f - 100.0f);
        EXPECT_FLOAT_EQ(ViewFrame.matrix.m[10], -before.matrix.m[10]);
        EXPECT_FLOAT_EQ(ViewFrame.matrix.m[0], before.matrix.m[0]);
    });
    probe->frame.SetPosition(Vec3 { 300, 300, 0 });
    ObjectList.AddObject(probe);
    Location.CycleMakeWater();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Location.surfaces[0].reflection, 1);
    EXPECT_EQ(Location.surfaces[1].reflection, -1);
    EXPECT_EQ(Location.surfaces[2].reflection, -1);
    EXPECT_EQ(Location.surfaces[3].reflection, -1);
    EXPECT_EQ(std::memcmp(&ViewFrame.matrix, &before.matrix, sizeof before.matrix), 0);
    EXPECT_EQ(std::memcmp(&ViewFrame.position, &before.position, sizeof before.position), 0);
    EXPECT_EQ(std::memcmp(&ViewFrame.combined, &before.combined, sizeof before.combined), 0);
}

} // namespace
