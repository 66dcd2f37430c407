// CZJObject: the base of every world object. It holds what the object list, the network record,
// the cell grid and the save game know of any object (kind, name, flags, ids, bounding sphere,
// frame) and the table of virtual operations that every class fills. Fields keep their order:
// a class adds its own behind them.
#pragma once

#include "foundation/CTransform.h"
#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XFixedArray.h"

#include <cstdint>

class CComplexObject;
class XMemBuffer;
struct SCollisionTriangle;

// A sphere of one of the object's effects (smoke, dust) that counts for visibility.
struct SEffectSphere {
    uint8_t active;
    float radius;
    Vec3 centre;
};

class CZJObject {
public:
    // Type codes: the block code of the objects file and the kind in every network record.
    enum : int32_t {
        kStone = 3,
        kTree = 4,
        kCamera = 6,
        kHelper = 7,
        kRoad = 8,
        kBuilding = 11,
        kMapCover = 12,
        kLamp = 13,
        kGlider = 14,
        kExplosion = 15,
        kMissile = 16,
        kSplinter = 17,
        kTrajectory = 18,
        kLight = 19,
        kAnomalZone = 20,
        kThing = 21,
        kTower = 22,
        kBoundary = 23,
        kFlyTeh = 25,
    };
    static constexpr int kBaseRecordSize = 35;
    static constexpr int kMaxEffectSpheres = 8;

    // constructedFlag, netDirty and solid 1, drawDistanceFactor 1, lastRecordTime -1e10; every
    // other field 0 (type, alive, visible, radius, networkId and typeIndex are the class's).
    CZJObject();
    // Slot 0. Unfiling from the grid and the lists is the object list's work.
    virtual ~CZJObject();
    CZJObject(const CZJObject&) = delete;
    CZJObject& operator=(const CZJObject&) = delete;

    // Slot 1: moves the frame; a changed coordinate moves the object between grid cells.
    virtual void SetPosition(const Vec3& position);
    // Slot 2: draws the type's model at the frame, bent to the horizon and lit by the ground
    // brightness; nothing without a model.
    virtual void Draw();
    virtual void DrawNVisible() { } // slot 3
    virtual void PreDraw() { } // slot 4
    virtual void PostDraw() { } // slot 5
    virtual void Run() { } // slot 6
    virtual void DrawEffect(int argument) { (void)argument; } // slot 7
    virtual void ProcessDelete(CZJObject* deleted) { (void)deleted; } // slot 8

    // Slot 9: writes the 35-byte base record (kind 1 when not alive), size = 35; notes the game
    // time in lastNetTime and clears netDirty.
    virtual void PackNetState(uint8_t* record, int* size);
    // Slot 10: applies the base record (SetPosition, lastNetTime, lastRecordTime), size = 35;
    // kind 1 then deletes the object. A record whose length field is under 35 or whose position
    // is not finite, or a length over 10000, changes nothing (size 0).
    virtual void UnpackNetState(const uint8_t* record, int* size);
    virtual void Init() { } // slot 11

    // Slot 12: full form the 4x4 matrix (translation = position), alive, runs, moves, visible
    // (68 bytes); short form skips 67 bytes and writes visible. size is left alone.
    virtual void SaveGame(XMemBuffer& stream, int* size, bool shortForm);
    // Slot 13: reads what SaveGame wrote (the short form skips the visible byte); a matrix or
    // position that is not finite is not applied. A short stream throws XRangeError.
    virtual void LoadGame(XMemBuffer& stream, int* size, bool shortForm);
    // Slot 14: visible; an unnamed object also its position.
    virtual void SaveToStream2(XMemBuffer& stream);
    // Slot 15: reads what SaveToStream2 wrote; the position is set in the frame directly.
    virtual void LoadFromStream2(XMemBuffer& stream);

    virtual void ReleaseDeviceObjects() { } // slot 16
    // Slot 17: a collision test met other at point with that normal (collisionNotice objects).
    virtual void SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point)
    {
        (void)other;
        (void)normal;
        (void)point;
    }
    // Slot 18: a customCollision object handles a mover itself.
    virtual void CustomCollision(CZJObject* mover, float dt)
    {
        (void)mover;
        (void)dt;
    }
    // Slot 19: damage at a point; heavy selects the kind (0 or 1), attacker may be null,
    // damageClass -1 for none. The base takes none.
    virtual void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass)
    {
        (void)amount;
        (void)point;
        (void)heavy;
        (void)attacker;
        (void)damageClass;
    }
    // Slot 20: the collision triangles of the type's model (its closed shape), null without one.
    virtual const XDynamicArray<SCollisionTriangle>* GetModel();

    // The terrain brightness at a point, 63/255..1, from the nearest grid point's light word.
    static float GetObjectBrightness(const Vec3& position);
    // Identity rotation with the translation of the model's point pointIndex (the model's part of
    // that index); the identity without a model or point.
    static Matrix4 GetPointMatrix(CComplexObject* model, int pointIndex);
    // The model number: the first word of the type row; -1 without a row.
    int32_t ModelIndex() const;
    // The model of ModelIndex() from the model manager, loaded on first use; null without one.
    CComplexObject* GetComplexModel() const;
    // Effect sphere i; i outside 0..7 throws XRangeError.
    SEffectSphere& EffectSphere(int i) { return effectSpheres.At(i); }

    uint8_t constructedFlag = 1;
    const void* typeRecord = nullptr; // the row of the type table; first word the model number
    CZJObject* owner = nullptr; // creator or shooter; cleared when the owner is deleted
    char name[32] = {};
    int32_t typeIndex = 0; // row of the type table; -1 none
    int32_t type = 0;
    uint8_t notDrawn = 0;
    uint8_t runs = 0; // Run every frame
    uint8_t moves = 0; // takes part in the physics passes
    uint8_t hitByRays = 0; // takes part in collision and ray tests
    uint8_t solid = 1; // collides as a sphere instead of the model's triangles
    uint8_t pointSized = 0;
    uint8_t alive = 0;
    uint8_t visible = 0;
    uint8_t effectInView = 0;
    uint8_t postDrawInView = 0;
    uint8_t effectWhenHidden = 0;
    uint8_t postDrawHidden = 0;
    uint8_t drawWhenHidden = 0;
    uint8_t classFlag0 = 0; // never set
    uint8_t targetable = 0; // guns fire at it, missiles home on it
    uint8_t collisionNotice = 0; // wants SetColissionObject
    uint8_t customCollision = 0; // handles collisions through CustomCollision
    uint8_t netInit = 0; // Init after creation from a network record
    uint8_t remote = 0; // on the object list's network list
    uint8_t netDirty = 1; // state changed since last packed
    uint8_t netForce = 0; // packed like netDirty, never cleared by packing
    float pendingDamage[2] = {}; // damage of kind 0 and 1 dealt to a remote copy, not yet sent
    uint8_t damagePending = 0; // a hit record is due
    uint8_t networked = 0; // AddObject gives it a network number
    uint8_t spareByte = 0;
    uint8_t owned = 0; // this game sends the state and applies hits
    float drawDistanceFactor = 1.0f; // scales the visible radius for this object
    uint8_t notifyOnDelete = 0; // ProcessDelete for every deleted object
    uint8_t deferredDelete = 0; // deletion is queued
    uint8_t saved = 0; // written by the object list's save
    int32_t lod = 0;
    float radius = 0.0f;
    uint32_t networkId = 0; // top 12 bits: the owning player's server id
    int32_t id = 0; // given by AddObject; 0 none yet
    int32_t netNumber = 0;
    double lastNetTime = 0.0; // game time of the last pack or unpack
    double lastRecordTime = -1.0e10; // sender's time stamp of the last record applied
    XFixedArray<SEffectSphere, kMaxEffectSpheres> effectSpheres;
    int32_t effectSphereCount = 0;
    CTransform frame; // the world frame; frame.position is the object's position
    CTransform frame2; // a drawn or previous orientation
    float viewDistance = 0.0f; // written by the visibility pass
};
