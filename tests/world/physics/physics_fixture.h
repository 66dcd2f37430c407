// Moving objects over writer-made maps: the terrain fixture, a moving object that any test can
// shape, and helpers for maps of a constant slope and for stepping.
#pragma once

#include "tests/world/terrain/terrain_fixture.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CPhysics.h"

#include <cmath>

class TestMover : public CDynamicObject {
public:
    TestMover()
    {
        type = kStone;
        alive = 1;
        mass = 1.0f;
        travelDampingScale = 1.0f;
    }
};

class PhysicsTest : public TerrainTest {
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        Physics.onObject = 0;
    }

    // A slope rising along x with the given normal z (less than 1), 2 x 2 cells.
    static LocationMap Slope(float normalZ)
    {
        const float rise = std::sqrt(1.0f / (normalZ * normalZ) - 1.0f) * 10.0f;
        return Shaped(129, 129, [rise](int gx, int) { return rise * float(gx); });
    }
    // Puts the object at p through its frame, outside the cell grid (the location's purge after
    // each test forgets what the steps filed).
    static void Place(CZJObject& object, const Vec3& p) { object.frame.SetPosition(p); }
    static void Step(CDynamicObject& object, float dt)
    {
        Physics.PreMove(&object, dt);
        Physics.Move(&object, dt);
    }
};
