// The trajectory marker on a flat writer-made map: the arc alone, the impact ring, a launch below
// the ground and the impact disc.
#include "tests/world/objects/grid_fixture.h"

#include "world/objects/CTrajectoryObject.h"

#include <algorithm>
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

// The arc follows the step of the trace's definition (gravity, then v / ((|v| 0.001 + 1) x
// damping)^0.01, then the move), here in double precision, to float precision: slow, ordinary,
// straight up through a standstill, fast and very fast launches.
TEST_F(TrajectoryTest, TheArcFollowsTheDampedStepToFloatPrecision)
{
    const float ground = Location.GetHeight(Vec3 { 2000, 2000, 0 }, false, true);
    const Vec3 launches[] = { { 0.5f, 0.0f, 3.0f }, { 80.0f, 70.0f, 0.0f }, { 0.0f, 0.0f, 300.0f },
        { 1000.0f, 0.0f, 500.0f }, { 3000.0f, 2000.0f, 4000.0f }, { 0.0f, 0.0f, -500.0f } };
    for (const Vec3& launch : launches) {
        SCOPED_TRACE(testing::Message() << launch.x << "," << launch.y << "," << launch.z);
        const Vec3 start { 2000.0f, 2000.0f, ground + 5000.0f };
        CTrajectoryObject marker;
        marker.Trace(start, launch, 1.05f, 10.0f);
        ASSERT_EQ(marker.trail.Count(), CTrajectoryObject::kMaxSteps);
        double p[3] = { start.x, start.y, start.z };
        double v[3] = { launch.x, launch.y, launch.z };
        double worst = 0.0;
        double extent = 0.0;
        for (int i = 0; i < CTrajectoryObject::kMaxSteps; ++i) {
            v[2] -= 29.4 * 0.01;
            const double divisor
                = std::pow((std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) * 0.001 + 1.0) * 1.05, 0.01);
            const Vec3& dot = marker.trail.Puff(i).position;
            const double got[3] = { dot.x, dot.y, dot.z };
            for (int k = 0; k < 3; ++k) {
                v[k] /= divisor;
                p[k] += v[k] * 0.01;
                worst = std::max(worst, std::fabs(got[k] - p[k]));
                extent = std::max(extent, std::fabs(p[k] - double((&start.x)[k])));
            }
        }
        // Float rounding of positions some thousands of units from the origin, over 1000 steps.
        EXPECT_LT(worst, 0.01 + 5.0e-5 * extent) << "extent " << extent;
    }
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
