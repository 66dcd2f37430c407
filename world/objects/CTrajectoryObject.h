// CTrajectoryObject (type code 18): where a lobbed shot lands. Trace simulates the flight in steps
// of 0.01 s and leaves a dotted arc and, where it meets the ground, a ring of dots and a
// translucent disc. The application keeps one instance and calls Trace while the player aims.
#pragma once

#include "render/CVertexData.h"
#include "world/objects/CSmoke.h"
#include "world/objects/CZJObject.h"

class CTrajectoryObject : public CZJObject {
public:
    static constexpr int kMaxSteps = 1000; // 10 s
    static constexpr int kRingDots = 100;
    static constexpr int kDiscSegments = 16;

    CTrajectoryObject();

    // Positions the object at start, sets radius, and traces the arc from scratch; visible after.
    void Trace(const Vec3& start, const Vec3& velocity, float damping, float traceRadius);
    void Draw() override;
    // 0: the dots; 1: the disc at the impact point.
    void DrawEffect(int argument) override;
    // The disc of kDiscSegments around the impact point, facing the direction d.
    void BuildDisc(const Vec3& d);

    CSmoke trail;
    uint8_t impact = 0;
    Vec3 impactPoint {};
    CVertexData disc;
};
