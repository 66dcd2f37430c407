// The trajectory marker on a flat writer-made map: the arc alone, the impact ring, a launch below
// the ground and the impact disc.
#include "tests/world/objects/grid_fixture.h"

#include "world/objects/CTrajectoryObject.h"

#include <cmath>

namespace {

using TrajectoryTest = GridTest;

TEST_F(TrajectoryTest, TraceStopsAtTheGroundOrAfterTenSeconds)
{
    CTrajectoryObject marker;
    EXPECT_EQ(marker.visible, 0);
    const float ground = Location.GetHeight(Vec3 { 2000, 2000, 0 }, false, true);

    marker.Trace(Vec3 { 2000, 2000, ground + 10000.0f }, Vec3 { 10, 0, 0 }, 1.05f, 100.0f);
    EXPECT_EQ(marker.trail.Count(), CTrajectoryObject::kMaxSteps);
    EXPECT_EQ(marker.impact, 0);
    EXPECT_EQ(marker.visible, 1);
    EXPECT_FLOAT_EQ(marker.radius, 100.0f);

    marker.Trace(Vec3 { 2000, 2000, ground - 10.0f }, Vec3 { 0, 0, 50 }, 1.05f, 30.0f);
    EXPECT_EQ(marker.trail.Count(), 1 + CTrajectoryObject::kRingDots);
    EXPECT_EQ(marker.impact, 1);
    EXPECT_FLOAT_EQ(marker.radius, 30.0f);
}

TEST_F(TrajectoryTest, TheRingHasOneHundredDotsAroundTheImpactPoint)
{
    CTrajectoryObject marker;
    const float ground = Location.GetHeight(Vec3 { 2000, 2000, 0 }, false, true);
    marker.Trace(Vec3 { 2000, 2000, ground + 20.0f }, Vec3 { 100, 0, 30 }, 1.05f, 40.0f);
    ASSERT_EQ(marker.impact, 1);
    const int steps = marker.trail.Count() - CTrajectoryObject::kRingDots;
    ASSERT_GT(steps, 1);
    ASSERT_LT(steps, CTrajectoryObject::kMaxSteps);
    EXPECT_NEAR(marker.impactPoint.z, ground, 0.5f);
    EXPECT_GT(marker.impactPoint.x, 2000.0f);
    for (int i = steps; i < marker.trail.Count(); ++i) {
        const Vec3& dot = marker.trail.Puff(i).position;
        const Vec3 d { dot.x - marker.impactPoint.x, dot.y - marker.impactPoint.y,
            dot.z - marker.impactPoint.z };
        EXPECT_NEAR(Vec3Length(d), 40.0f, 0.01f);
        EXPECT_NEAR(dot.z, marker.impactPoint.z, 0.01f); // flat ground: the ring lies on it
    }
    // A new trace starts from scratch.
    marker.Trace(Vec3 { 2000, 2000, ground + 10000.0f }, Vec3 { 0, 0, 0 }, 1.05f, 40.0f);
    EXPECT_EQ(marker.trail.Count(), CTrajectoryObject::kMaxSteps);
    EXPECT_EQ(marker.impact, 0);
}

TEST_F(TrajectoryTest, TheDiscHasSixteenSegments)
{
    CTrajectoryObject marker;
    marker.radius = 5.0f;
    marker.impactPoint = Vec3 { 100, 100, 0 };
    marker.BuildDisc(Vec3 { 0, 0, 1 });
    EXPECT_EQ(marker.disc.vertexCount, 17u);
    EXPECT_EQ(marker.disc.indexCount, 48u);
    for (uint32_t i = 0; i < marker.disc.indexCount; i += 3)
        EXPECT_EQ(marker.disc.indices[i], 0);
}

} // namespace
