// CMissileObject: a projectile in flight (type code 16), from a tracer bullet to a guided rocket
// or a bouncing bomb. The physics pass moves it; it sets its launch state by the kind (TYPE) of
// its projectile row, steers toward gliders, feeds its smoke trail, finds its impacts with the
// terrain and with objects, does damage, splits into sub-missiles and leaves an explosion.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CSmoke.h"

#include <cstdint>

struct SMissileType;

class CMissileObject : public CDynamicObject {
public:
    // Projectile kinds, the TYPE column.
    enum Kind : int32_t {
        kBullet = 1,
        kRocket = 2,
        kCloud = 3,
        kBomb = 4,
        kBolt = 5,
        kWanderer = 6,
        kDrop = 7,
        kPiercer = 8,
    };

    CMissileObject();
    ~CMissileObject() override;

    using CZJObject::Init;
    // Takes the placement as its frame (axes re-normalised), the row whose index is the first
    // word of typeId, the velocity along the heading (column 2) and the kind's launch settings.
    // A row index outside the projectile table throws with an empty message. A kind outside 1..8
    // is logged once per row; that missile stops at its first Run.
    void Init(const float* placement, NameKey32 typeId);
    // Slot 11: Init again with the current frame and the stored type reference.
    void Init() override;

    void Draw() override;
    void DrawNVisible() override;
    void Run() override;
    void DrawEffect(int argument) override;
    void ProcessDelete(CZJObject* deleted) override;
    // The moving record, the owner's network id (0 none) and flying: 125 bytes.
    void PackNetState(uint8_t* record, int* size) override;
    // The moving record, then the extension when the record's length holds it.
    void UnpackNetState(const uint8_t* record, int* size) override;
    void SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point) override;

    // count missiles of the sub-reference at this frame, each with the parent's velocity plus one
    // random offset on all three axes times spread; then this missile's explosion. A copy from
    // another game only stops flying.
    void SplitMissile(int count, float spread, NameKey32 subType);

    const SMissileType& Row() const;
    int32_t Kind() const { return kind; }
    // Not a remote copy of another game's missile.
    bool IsLocal() const { return !remote || owned; }

    CSmoke trail;
    uint8_t flying = 0;
    Vec3 prevPosition {};
    float impactTimer = 0.0f;
    float lifeTime = 0.0f;
    CZJObject* target = nullptr;
    uint8_t targetLocked = 0; // the target was handed over at creation; never searched
    NameKey32 typeKey {}; // the type reference Init took

private:
    void Launch(const SMissileType& row);
    void LaunchTrail(const SMissileType& row);
    void RunKind(float dt);
    void Home(float dt);
    void SearchTarget(const Vec3& heading);
    void RunTerrain(float dt);
    void BounceBomb(float h);
    bool FindTerrainImpact(float dt, float h, Vec3& impact) const;
    void EndOfLife(float dt);
    void Stop();
    // The row's explosion at the placement with remote and owned copied; null without one.
    CZJObject* Explode(const Matrix4& placement);
    Vec3 Heading() const;
    void UpdateTrailSphere();

    void DrawKindEffect();
    void DrawBullet(const Vec3& camera);
    void DrawModel(float scale, bool faceVelocity);
    void DrawBeam(float maxLength, float glowFactor, const Vec3& camera);
    void DrawGlow(const Vec3& camera);
    void DrawSpheres();

    int32_t kind = 0;
};
