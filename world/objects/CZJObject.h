// Stand-in until the world-object classes land: the base of every world object, reduced to the
// network members and the slots that the network client uses (pack, unpack, init, damage), the
// fields that the object factory sets and the ones the terrain's cell grid reads.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/NameKey32.h"
#include "foundation/Vector.h"

#include <cstdint>

class CZJObject {
public:
    CZJObject() = default;
    virtual ~CZJObject() = default;
    CZJObject(const CZJObject&) = delete;
    CZJObject& operator=(const CZJObject&) = delete;

    // Writes the 35-byte base record at `record` (kind 0 alive, 1 not), stores the bytes written
    // in size, notes the time in lastNetTime and clears netDirty.
    virtual void PackNetState(uint8_t* record, int* size);
    // Applies the base record: position, lastNetTime, lastRecordTime; kind 1 deletes the object.
    virtual void UnpackNetState(const uint8_t* record, int* size);
    virtual void Init() { }
    // Damage of kind 0 or 1 from an attacker (-1 none); the base takes none.
    virtual void Damage(float amount, Vec3 direction, int kind, int extra, int attacker);

    int32_t typeIndex = -1; // sent at +29 of every record
    int32_t type = 0; // type code: 14 glider, 16 missile, 21 thing, ...
    uint8_t alive = 0;
    uint8_t visible = 0;
    uint8_t hitByRays = 0; // takes part in the collision and ray tests
    uint8_t solid = 1; // collides as a sphere
    uint8_t classFlag0 = 0;
    uint8_t targetable = 0;
    uint8_t collisionNotice = 0; // wants collision calls
    uint8_t customCollision = 0;
    uint8_t netInit = 0; // Init after creation from a network record
    uint8_t remote = 0; // in the object list's network list
    uint8_t netDirty = 1; // state changed since last packed
    uint8_t netForce = 0; // packed like netDirty, never cleared by packing
    float pendingDamage[2] = {}; // damage dealt to a remote copy, not yet sent
    uint8_t damagePending = 0; // a hit record is due
    uint8_t networked = 0;
    uint8_t owned = 0; // this game sends the state and applies hits
    uint8_t deferredDelete = 0;
    uint32_t networkId = 0; // owner's player id in the top 12 bits
    double lastNetTime = 0.0; // game clock of the last pack or unpack
    double lastRecordTime = -1.0e10; // time stamp of the last record applied
    Vec3 position {};
    float radius = 0.0f; // bounding sphere

    char name[32] = {}; // the property text of the placed object
    uint32_t objectId = 0; // given by the object list
    uint8_t localHit = 1; // a remote object still takes hits computed here
    uint8_t hittable = 1;
    Matrix4 matrix { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } }; // world matrix
    NameKey32 typeKey {}; // the type id given to Init

protected:
    // What the stand-ins' Init do: keep the placement (position = row 3) and the type id.
    void StoreInit(const float* placement, const NameKey32& typeId);
};

// Stand-in for the moving object: the catch-up time the network client resets and the velocity.
class CDynamicObject : public CZJObject {
public:
    float netLag = 0.0f;
    Vec3 velocity {};
};
