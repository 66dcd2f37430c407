// Stand-in until the world-object classes land: a glider (type code 14) with its pilot record and
// AI, its energy store, the fields the guns read, and the motion state and control inputs that
// the machine record and the AI use. Init takes the placement into the frame and keeps the type
// id; Fire, Jump and SyncEquipment only count.
#pragma once

#include "world/db/CGun.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/StandInInit.h"

class CBasicGLAI;
class CFerrovant;
class CFerroGroup;

class CGliderObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CGliderObject()
    {
        type = 14;
        alive = 1;
        runs = 1;
        moves = 1;
        hitByRays = 1;
        solid = 1;
        visible = 1;
        effectInView = 1;
        drawWhenHidden = 1;
        targetable = 1;
        collisionNotice = 1;
        netForce = 1;
        networked = 1;
        notifyOnDelete = 1;
        deferredDelete = 1;
    }
    ~CGliderObject() override;
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    void AssignFerrovant(CFerrovant* record) { ferrovant = record; }
    // True when this glider may not attack the other; the stand-in allows every target unless
    // refuseTargets is set.
    bool NotAllowTarget(const CGliderObject* other) const { return other != nullptr && refuseTargets; }

    // Weapon slot 0 light gun, 1 heavy gun, 2 and 3 rocket and bomb launchers.
    void Fire(int slot, float value);
    void Jump(float value) override;
    // Writing a turn or climb input marks the controls changed.
    void SetTurnInput(float value);
    void SetClimbInput(float value);
    // Re-equips the glider from its machine record after a change of parts, guns or ammunition.
    void SyncEquipment() { ++equipmentSyncs; }

    // Read by the world database, the AI and their tests until the class lands.
    NameKey32 typeKey {};
    float bodyRadius = 0.0f; // the hull's radius (the camera's chase distance)
    CFerrovant* ferrovant = nullptr;
    CBasicGLAI* ai = nullptr;
    CFerroGroup* netGroup = nullptr; // owned: the group made for a glider from the network
    float energy = 0.0f; // the reactor's current energy
    CZJObject* target = nullptr; // the current target, handed to the player's projectiles
    CGun guns[4]; // light gun, heavy gun, rocket and bomb launchers
    Vec3 aim { 1.0f, 0.0f, 0.0f }; // the weapons' aim direction

    Vec3 forward { 1.0f, 0.0f, 0.0f };
    Vec3 right { 0.0f, -1.0f, 0.0f };
    float turnRate = 1.0f;
    float speed = 0.0f; // signed forward speed
    float drive = 0.0f; // the absolute throttle last set
    float hold = 0.0f; // 0..1
    float throttle = 0.0f;
    float sideThrust = 0.0f;
    float turnInput = 0.0f; // -1..+1
    float climbInput = 0.0f; // -1..+1
    uint8_t controlsChanged = 0;
    uint8_t dead = 0;
    uint8_t active = 1;
    float deathTime = 0.0f;
    float deathSpin = 0.0f;
    uint8_t deathStarted = 0;

    // Test access: what NotAllowTarget answers for every other glider, and the shots and jumps.
    uint8_t refuseTargets = 0;
    int shots[4] = {};
    int jumps = 0;
    int equipmentSyncs = 0;
};
