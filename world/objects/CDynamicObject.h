// CDynamicObject: the base of every object that moves under the physics (stones, the camera,
// gliders, missiles, splinters, the flying observer). It adds mass, velocity, the steering inputs,
// the rotation rates and the coefficients that CPhysics reads. Axis 1 is the frame's forward
// (column 2), axis 2 its up, axis 3 its side (column 0).
#pragma once

#include "world/objects/CZJObject.h"

class CDynamicObject : public CZJObject {
public:
    // The base constructor's fields; motion, inputs and rates 0, hoverScale 1, lastJumpTime -1e10.
    CDynamicObject() = default;

    // Slot 9: the base record, then the frame's columns 2, 0 and 1, the twelve motion words and
    // visible (85 bytes more in size).
    void PackNetState(uint8_t* record, int* size) override;
    // Slot 10: applies a moving record of at least 120 bytes (its length field): the base record,
    // the axes (the matrix rebuilt from them), the motion words and visible. A shorter record, or
    // one with a position, axis or motion word that is not finite, changes nothing (size 0).
    void UnpackNetState(const uint8_t* record, int* size) override;

    // Slot 12: the base record, then thrust, velocity, rates, controlX, controlY, spareControl
    // (40 bytes); the short form skips those 40 bytes.
    void SaveGame(XMemBuffer& stream, int* size, bool shortForm) override;
    // Slot 13: the base record, then always the 40 bytes; words that are not all finite are not
    // applied. A short stream throws XRangeError.
    void LoadGame(XMemBuffer& stream, int* size, bool shortForm) override;

    // Slot 21: velocity += impulse / mass.
    virtual void ApplyImpulse(const Vec3& impulse);
    // Slot 22: no meaning here.
    virtual void SetStrafe(float value) { (void)value; }
    // Slot 23: thrust = value x 25; a change marks netDirty.
    virtual void SetThrottle(float value);
    // Slot 24: an upward impulse of strength, at most once per 2 s of game time.
    virtual void Jump(float strength);

    // A changed input is stored and marks netDirty.
    void SetControlX(float value);
    void SetControlY(float value);

    uint32_t spareWord = 0;
    float lastJumpTime = -1.0e10f; // game time of the last accepted Jump
    float mass = 0.0f;
    float travelDamping = 0.0f; // drag along axis 1, 0 none
    float travelDampingScale = 0.0f;
    float liftDampingUp = 0.0f; // drag along axis 2 when rising, 0 none
    float liftDampingDown = 0.0f; // drag along axis 2 when falling or still, 0 none
    float sideDamping = 0.0f; // drag along axis 3, 0 none
    uint8_t gravityOn = 0;
    uint8_t hovers = 0; // ground force, slope gravity and the 6-unit clearance
    uint8_t steered = 0; // the steering inputs turn the object
    uint8_t followsTerrain = 0; // pitch and roll follow the ground
    uint8_t banks = 0; // sideways drift turns the object
    float pitchProbe = 0.0f; // half-lengths of the attitude probes
    float rollProbe = 0.0f;
    float hoverHeight = 0.0f; // gliders: below this the lift grows
    float pitchStiffness = 0.0f;
    float rollStiffness = 0.0f;
    float turnRate = 0.0f; // steering rate and limit
    float driftRoll = 0.0f; // roll caused by sideways drift
    float spareCoefficient = 0.0f;
    float hoverScale = 1.0f; // height scale of the ground forces
    float netLag = 0.0f; // a remote copy's lag, added to its next step
    float thrust = 0.0f; // along axis 1
    float sideImpulse = 0.0f; // along -axis 3 for one step
    float bankCoupling = 0.0f; // 0 switches banking off
    Vec3 velocity {};
    float rateSpare = 0.0f;
    float pitchRate = 0.0f;
    float rollRate = 0.0f;
    float controlX = 0.0f; // -1..1
    float controlY = 0.0f; // -1..1
    float spareControl = 0.0f;
    float yawRate = 0.0f; // from controlX
    float pitchControlRate = 0.0f; // from controlY
    float spareTail = 0.0f;

    static constexpr int kMotionSaveSize = 40;
};
