// The terrain physics over writer-made maps: ground contact, steering limits, slope gravity, the
// glider's lift and extra gravity, flat normals where the ground has none, the water surface,
// objects that are not finite, and the attitude righting itself.
#include "tests/world/physics/physics_fixture.h"

#include "world/objects/CCamera.h"
#include "world/objects/CObjectList.h"
#include "world/objects/ObjectMath.h"

#include <limits>
#include <numbers>

namespace {

using zoq::tools::map::SurfaceRecord;

constexpr float kDegree = std::numbers::pi_v<float> / 180.0f;

float Angle(const Vec3& a, const Vec3& b)
{
    const float c = (a.x * b.x + a.y * b.y + a.z * b.z)
        / std::sqrt((a.x * a.x + a.y * a.y + a.z * a.z) * (b.x * b.x + b.y * b.y + b.z * b.z));
    return std::acos(std::clamp(c, -1.0f, 1.0f));
}

// The vertical acceleration of one step of a free, undamped object.
float VerticalAcceleration(TestMover& object, float dt)
{
    const float before = object.velocity.z;
    Physics.PreMove(&object, dt);
    return (object.velocity.z - before) / dt;
}

TEST_F(PhysicsTest, AHoveringObjectIsLiftedToSixAndItsFallReflectedAtHalfStrength)
{
    Load(LocationMap::Flat(65, 65));
    TestMover object;
    object.hovers = 1;
    Place(object, Vec3 { 300, 300, 3 });
    object.velocity = Vec3 { 0, 0, -10 };
    Physics.Move(&object, 0.01f);
    EXPECT_FLOAT_EQ(object.frame.position.z, 6.0f);
    EXPECT_NEAR(object.velocity.z, 5.0f, 1e-4f);

    TestMover rising; // moving away from the ground keeps its velocity
    rising.hovers = 1;
    Place(rising, Vec3 { 300, 300, 3 });
    rising.velocity = Vec3 { 0, 0, 2 };
    Physics.Move(&rising, 0.01f);
    EXPECT_FLOAT_EQ(rising.frame.position.z, 6.0f);
    EXPECT_FLOAT_EQ(rising.velocity.z, 2.0f);
}

TEST_F(PhysicsTest, SteeringTurnsAtMostTheTurnRateAStep)
{
    TestMover object;
    object.steered = 1;
    object.turnRate = 2.0f;
    object.controlX = 1.0f;
    Place(object, Vec3 { 300, 300, 100 });
    object.frame.SetDirection(Vec3 { 1, 0, 0 });
    for (const float dt : { 0.5f, 0.25f, 1.0f }) {
        SCOPED_TRACE(dt);
        object.yawRate = 50.0f; // left from a long step
        const Vec3 before = object.frame.forward;
        Physics.PreMove(&object, dt);
        EXPECT_NEAR(Angle(before, object.frame.forward), dt * object.turnRate, 1e-3f);
        EXPECT_LE(std::fabs(object.yawRate), dt * object.turnRate);
    }
}

TEST_F(PhysicsTest, GravityOnASlopeGrowsBetweenFortyFiveAndSixtyDegrees)
{
    const float limit = Physics.steepLimit;
    struct Case {
        float normalZ;
        float acceleration;
    } const cases[] = {
        { 0.6f, -((0.1f / (limit - 0.5f)) * (0.1f / (limit - 0.5f)) + 1.0f) * 29.4f },
        { 0.71f, -29.4f },
        { 0.45f, -88.2f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.normalZ);
        Load(Slope(c.normalZ));
        Location.LoadCell(0, 0, 0);
        TestMover object;
        object.hovers = object.gravityOn = 1;
        const Vec3 p { 300, 300, 0 };
        EXPECT_NEAR(Physics.GetMapLNormal(p, false).z, c.normalZ, 2e-3f);
        // High above the ground the hover force is negligible.
        Place(object, Vec3 { p.x, p.y, Location.GetHeight(p, true, false) + 5000.0f });
        if (c.normalZ < 0.5f) {
            object.velocity.z = 5.0f; // it cannot climb
            Physics.PreMove(&object, 0.001f);
            EXPECT_NEAR(object.velocity.z, c.acceleration * 0.001f, 1e-5f);
        } else {
            EXPECT_NEAR(VerticalAcceleration(object, 0.001f), c.acceleration, 0.3f);
        }
    }
}

TEST_F(PhysicsTest, AGliderFallingFastGetsMoreLiftAndOneHighUpMoreGravity)
{
    Load(LocationMap::Flat(65, 65));
    Location.LoadCell(0, 0, 0);
    const float dt = 0.001f;
    // Falling at 40 at height 20: the glider's lift z is (10^2 x 0.1 + 1) = 11 times a stone's.
    TestMover stone;
    TestMover glider;
    glider.type = CZJObject::kGlider;
    for (TestMover* object : { &stone, &glider }) {
        object->hovers = object->gravityOn = 1;
        Place(*object, Vec3 { 300, 300, 20 });
        object->velocity = Vec3 { 0, 0, -40 };
    }
    const float stoneLift = VerticalAcceleration(stone, dt) + 29.4f;
    const float gliderLift = VerticalAcceleration(glider, dt) + 29.4f;
    EXPECT_GT(stoneLift, 1.0f);
    EXPECT_NEAR(gliderLift, 11.0f * stoneLift, 0.05f * stoneLift);

    // Without the hover force: above 24, (h / 12 - 0.25)^2 x 29.4 more, at most 8 x 29.4.
    struct Case {
        float height;
        float extra;
    } const cases[] = { { 20.0f, 0.0f }, { 30.0f, 2.25f * 2.25f }, { 500.0f, 8.0f } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        TestMover high;
        high.type = CZJObject::kGlider;
        high.gravityOn = 1;
        Place(high, Vec3 { 300, 300, c.height });
        EXPECT_NEAR(VerticalAcceleration(high, dt), -(1.0f + c.extra) * 29.4f, 0.01f);
    }
}

TEST_F(PhysicsTest, TheNormalIsFlatOffTheMapOverUnloadedCellsAndLowWater)
{
    LocationMap map = Slope(0.8f);
    map.surfaces.push_back(SurfaceRecord { .level = 1000.0f });
    map.blockSurfaces.assign(size_t(map.BlocksX() * map.BlocksY()), -1);
    map.blockSurfaces[1] = 0; // cell (1, 0) is water below level + 3
    for (int gy = 0; gy < 65; ++gy)
        for (int gx = 64; gx < 129; ++gx)
            map.water[map.PointIndex(gx, gy)] = 1;
    Load(map);
    Location.LoadCell(0, 0, 0);
    Location.LoadCell(1, 0, 0);
    EXPECT_NEAR(Physics.GetMapLNormal(Vec3 { 300, 300, 0 }, false).z, 0.8f, 2e-3f);
    const struct {
        const char* name;
        Vec3 point;
    } flats[] = {
        { "west of the map", { -20, 300, 0 } },
        { "east of the map", { 1290, 300, 0 } },
        { "north of the map", { 300, 1290, 0 } },
        { "unloaded", { 300, 900, 0 } },
        { "water", { 900, 300, 0 } },
        { "far off", { 1e30f, -1e30f, 0 } },
    };
    for (const auto& flat : flats) {
        SCOPED_TRACE(flat.name);
        for (const bool steepen : { false, true }) {
            const Vec3 n = Physics.GetMapLNormal(flat.point, steepen);
            EXPECT_FLOAT_EQ(n.x, 0.0f);
            EXPECT_FLOAT_EQ(n.y, 0.0f);
            EXPECT_FLOAT_EQ(n.z, 1.0f);
        }
    }
    // A hovering object far off the map steps on ground 0 and is filed nowhere.
    TestMover far;
    far.hovers = far.gravityOn = far.followsTerrain = 1;
    far.pitchProbe = far.rollProbe = 2.5f;
    Place(far, Vec3 { 300, 300, 100 });
    far.SetPosition(Vec3 { 1e30f, 300, 3 });
    PhysicsTest::Step(far, 0.02f);
    EXPECT_FLOAT_EQ(far.frame.position.z, 6.0f);
    // Steepening: nz 0.8 becomes normalise(1.5 nx, 1.5 ny, nz).
    const Vec3 steep = Physics.GetMapLNormal(Vec3 { 300, 300, 0 }, true);
    EXPECT_NEAR(steep.z, 0.8f / std::sqrt(0.64f + 2.25f * 0.36f), 3e-3f);
}

TEST_F(PhysicsTest, TheWaterSurfaceLoadsAHalfResolutionCellAndLeavesItsLevel)
{
    LocationMap map = LocationMap::Flat(129, 129);
    map.surfaces.push_back(SurfaceRecord { .level = 4.0f });
    map.blockSurfaces.assign(4, -1);
    map.blockSurfaces[3] = 0;
    for (int gy = 64; gy < 129; ++gy)
        for (int gx = 64; gx < 129; ++gx)
            map.water[map.PointIndex(gx, gy)] = 1;
    Load(map);
    SCellRecord& water = Location.Cell(1, 1);
    water.level = 2;
    ASSERT_EQ(water.half, nullptr);
    const MapSurface* surface = Location.GetWaterSurface(Vec3 { 900, 900, 0 });
    ASSERT_NE(surface, nullptr);
    EXPECT_FLOAT_EQ(surface->waterLevel, 4.0f);
    EXPECT_NE(water.half, nullptr);
    EXPECT_EQ(water.full, nullptr);
    EXPECT_EQ(water.level, 2);
    Location.LoadCell(1, 1, 0); // full resolution answers alike
    EXPECT_EQ(Location.GetWaterSurface(Vec3 { 900, 900, 0 }), surface);
    EXPECT_EQ(Location.GetWaterSurface(Vec3 { 300, 300, 0 }), nullptr);
    EXPECT_EQ(Location.GetWaterSurface(Vec3 { -6, 900, 0 }), nullptr);
    EXPECT_EQ(Location.GetWaterSurface(Vec3 { 900, 1276, 0 }), nullptr); // nearest point 128: past the last
}

TEST_F(PhysicsTest, AnObjectThatIsNotFiniteIsDeletedUnmoved)
{
    Load(LocationMap::Flat(65, 65));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const int component : { 0, 1, 2, 3 }) {
        SCOPED_TRACE(component);
        auto* object = new TestMover;
        object->deferredDelete = 1;
        object->hovers = object->gravityOn = 1;
        object->frame.SetPosition(Vec3 { 300, 300, 20 });
        ObjectList.AddObject(object);
        Vec3 p { 300, component == 1 ? nan : 300.0f, 20 };
        object->frame.SetPosition(p);
        if (component != 1)
            (component == 0          ? object->velocity.x
                    : component == 2 ? object->velocity.y
                                     : object->velocity.z)
                = nan;
        PhysicsTest::Step(*object, 0.02f);
        EXPECT_TRUE(ObjectList.IsDeletePending(object));
        EXPECT_FLOAT_EQ(object->frame.position.x, 300.0f);
        EXPECT_FLOAT_EQ(object->frame.position.z, 20.0f);
        ObjectList.Pack();
    }
    ObjectList.Clear();
}

TEST_F(PhysicsTest, AnObjectTiltedOverFlatGroundLevelsItselfNeverUpsideDown)
{
    Load(LocationMap::Flat(65, 65));
    Location.LoadCell(0, 0, 0);
    TestMover object;
    object.hovers = object.gravityOn = object.followsTerrain = 1;
    object.pitchStiffness = object.rollStiffness = 9.0f;
    object.pitchProbe = object.rollProbe = object.hoverHeight = 2.5f;
    object.travelDamping = object.liftDampingUp = object.liftDampingDown = object.sideDamping = 100.0f;
    Place(object, Vec3 { 300, 300, 8 });
    object.frame.RotateX(20.0f * kDegree);
    Math::RotateFrameZ(object.frame, 20.0f * kDegree);
    object.frame.UpdateAxes();
    ASSERT_NEAR(Angle(object.frame.up, Vec3 { 0, 0, 1 }), 28.0f * kDegree, 2.0f * kDegree);
    for (int step = 0; step < 300; ++step) {
        PhysicsTest::Step(object, 1.0f / 60.0f);
        ASSERT_GT(object.frame.up.z, 0.0f) << "step " << step;
    }
    EXPECT_LT(Angle(object.frame.up, Vec3 { 0, 0, 1 }), 1.0f * kDegree);
    EXPECT_LT(std::fabs(object.frame.forward.z), std::sin(1.0f * kDegree));
}

TEST_F(PhysicsTest, ACameraLetGoAboveTheGroundSettlesHovering)
{
    Load(Slope(0.95f));
    Location.LoadCell(0, 0, 0);
    CCamera camera;
    const Vec3 start { 300, 300, 0 };
    const float ground = Location.GetHeight(start, true, false);
    Place(camera, Vec3 { start.x, start.y, ground + 10.0f });
    float fastest = 0.0f;
    for (int step = 0; step < 600; ++step) {
        PhysicsTest::Step(camera, 1.0f / 60.0f);
        if (step >= 540)
            fastest = std::max(fastest,
                std::sqrt(camera.velocity.x * camera.velocity.x + camera.velocity.y * camera.velocity.y
                    + camera.velocity.z * camera.velocity.z));
    }
    EXPECT_LT(fastest, 0.01f);
    const float height = camera.frame.position.z - Location.GetHeight(camera.frame.position, true, false);
    EXPECT_GE(height, 6.0f);
    EXPECT_LE(height, 12.0f);
    EXPECT_GT(camera.frame.up.z, 0.9f);
}

} // namespace
