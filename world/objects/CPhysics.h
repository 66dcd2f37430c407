// CPhysics: moves every moving object over the terrain. PreMove turns the object by its steering,
// applies thrust, the hover force, gravity and drag to its velocity; Move moves it, tilts it to
// follow the ground and keeps hovering objects 6 units above the ground. One global, Physics,
// on the main thread: GetMapLNormal answers for the surface of the GetGroundHeight before it.
#pragma once

#include "foundation/Vector.h"

#include <cstdint>

class CDynamicObject;
class CZJObject;

class CPhysics {
public:
    static constexpr float kGravity = 29.4f;
    static constexpr float kMaxLift = 3.0f * kGravity;
    static constexpr float kMaxRise = 10.0f * kGravity;
    static constexpr float kClearance = 6.0f;

    // Forces and velocity for one step. A velocity or position that is not finite queues the
    // object for deletion instead.
    void PreMove(CDynamicObject* object, float dt);
    // Position, attitude and ground contact for one step; ends with SetPosition. An object whose
    // velocity or position is not finite is not moved.
    void Move(CDynamicObject* object, float dt);

    // The larger of the terrain height (water lifted) and the top of an object below the point;
    // sets onObject, objectGroundHeight and objectNormal.
    float GetGroundHeight(const Vec3& point, const CZJObject* ignore);
    // The terrain normal at a point, (0, 0, 1) off the map, over unloaded cells, over water below
    // its level + 3 and on an object surface. steepen exaggerates slopes (nz <= 0.9).
    Vec3 GetMapLNormal(const Vec3& point, bool steepen);
    // The lift the ground gives a point: constant below 6 x scale, falling with the square above.
    Vec3 GetHoverForce(const Vec3& point, const CZJObject* object, float scale);
    // The terrain's push on an attitude probe point: constant below 3.5 x scale.
    Vec3 GetProbeForce(const Vec3& point, const CZJObject* object, float scale);

    // v / ((|v / s| + 1) x k)^dt: with s = 1e10 a decay by the factor k per second.
    static float DampValue(float value, float dt, float k, float s);

    float objectGroundHeight = 0.0f; // the object surface under the last GetGroundHeight point
    uint8_t onObject = 0; // that surface was an object, not the terrain
    Vec3 objectNormal { 0.0f, 0.0f, 1.0f };
    float steepLimit = 0.70710678f; // cos 45 degrees
    float gridScale = 0.1f; // world units to grid steps
    float hoverForce = 12.0f * 12.0f * kGravity;

private:
    // Terrain height with the water rule, loading nothing: the nearest point's when the exact
    // query answers 0.
    static float TerrainHeight(const Vec3& point);
    void Steer(CDynamicObject& object, float dt);
    void Bank(CDynamicObject& object, float dt, float& s, float& u, float& w);
    void FollowTerrain(CDynamicObject& object, const Vec3& p, float dt);
};

extern CPhysics Physics;
