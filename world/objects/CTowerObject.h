// CTowerObject (type 22): a fixed gun emplacement. Each frame it keeps or seeks a glider within its
// range, turns its turret (yaw) and gun (pitch) towards it with rate-limited, damped motion and
// fires when both are on the aim, the aggression allows and nothing else stands on the ray.
#pragma once

#include "foundation/NameKey32.h"
#include "world/db/CGun.h"
#include "world/objects/CZJObject.h"

struct STowerType;

class CTowerObject : public CZJObject {
public:
    using CZJObject::Init;
    static constexpr float kMinRange = 500.0f;
    static constexpr float kAlertedRange = 1000.0f;
    static constexpr float kMaxYawRate = 5.0f;

    CTowerObject();
    ~CTowerObject() override;

    // Places the tower and takes its row (a missing id throws XRangeError with a log line), its
    // radius, gun and range; the property text is the name.
    void Init(const float* placement, NameKey32 typeId, const char* propertyText);
    // Targets the glider at once and keeps it up to 1000 away.
    void Alert(CZJObject* glider);

    void Run() override;
    void Draw() override;
    void DrawEffect(int argument) override;
    void ProcessDelete(CZJObject* deleted) override;
    // A glider's hit alerts the tower; it takes no damage.
    void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass) override;
    const XDynamicArray<SCollisionTriangle>* GetModel() override;
    // Fires the gun at the target when the terrain leaves the ray free and the nearest object on it
    // is the target.
    void Fire();

    // Picks the target among the gliders within range: smallest squared distance, x 1e-5 when
    // armed, strictly below range squared; the earlier wins a tie.
    CZJObject* Seek() const;

    uint8_t alerted = 0;
    CZJObject* target = nullptr;
    float aggression = 0.0f;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float pitchRate = 0.0f;
    float yawRate = 0.0f;
    CGun gun;
    uint8_t burstReady = 0;
    float range = 0.0f;
    NameKey32 typeKey {};

private:
    STowerType* Row() const;
    void Aim(float dt);
    Matrix4 TurretMatrix() const;
    // The muzzle frame under the turret matrix; false without a gun or muzzle part.
    bool MuzzleFrame(const Matrix4& turret, Matrix4& out) const;
};
