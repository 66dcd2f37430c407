// CGliderObject: the hovering combat vehicle (type code 14) that the player and every Ferrovant
// ride. It gives the physics the coefficients of its hull type, carries four gun mounts, links to
// the machine record that holds its pilot, parts, cargo and health, and keeps its own network and
// snapshot records. CGliderObject.cpp: type, equipment, controls and records; _run.cpp: the frame
// step, damage and death; _draw.cpp: firing and drawing. Main thread only.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/NameKey32.h"
#include "platform/gfx/types.h"
#include "world/db/CGun.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CSmoke.h"

#include <cstdint>
#include <memory>

class CBasicGLAI;
class CComplexObject;
class CFerroGroup;
class CFerrovant;
class CExploObject;
class CTheThing;
struct SGliderType;

// A shield impact mark: the hit direction in the glider's frame, its life (0.25 when made) and
// the damage that made it.
struct SGliderHitMark {
    Matrix4 matrix;
    float life;
    uint32_t active;
    float amount;
};

class CGliderObject : public CDynamicObject {
public:
    static constexpr int kMounts = 4; // light gun, heavy gun, rocket launcher, bomb launcher
    static constexpr int kLightGun = 0, kHeavyGun = 1, kRocketLauncher = 2, kBombLauncher = 3;
    static constexpr int kHitMarks = 20;
    static constexpr int kPoints = 8; // damage points of a hull
    static constexpr int kMorphWeights = 6;
    // The snapshot's glider part: flags and aim; the full block makes it 72 bytes.
    static constexpr int kSaveHeadSize = 16, kSaveFullSize = 72;

    // The moving object, four reset guns and the dust emitter; every field cleared, the engine
    // sound none, the physics defaults and the flags of a glider.
    CGliderObject();
    // Stops the engine and gun sounds; deletes the network group (the AI belongs to the machine
    // group that made it).
    ~CGliderObject() override;

    using CZJObject::Init;
    // Places and types a new glider: type is a row name (an unknown one is logged and takes row
    // 0); a row outside the table throws XRangeError.
    void Init(const float* placement, NameKey32 type);
    void Init(const float* placement, int32_t row);
    // Links a machine record (or none) and equips the glider from it.
    void AssignFerrovant(CFerrovant* record);
    // The hull from an item record; an id outside the glider table throws XRangeError.
    void SetGliderType(const SItemRecord& hull);
    // Hull, guns and mass after the machine record changed; nothing without one.
    void SyncEquipment();
    // Ammunition between the machine's stocks and the rocket and bomb launchers: take moves the
    // first fitting stock onto each launcher, give back returns each launcher's stock to the
    // front (or, with append, the end) of the list. A full list keeps a stock on its launcher.
    void UpdateAmmo(bool take, bool append);
    // True when other is a glider of this glider's machine group.
    bool NotAllowTarget(const CZJObject* other) const;
    // The bomb launcher's trigger or the firing timer of a mounted gun or rocket launcher runs.
    bool IsFiring() const;
    bool IsPlayer() const;
    // The hull's type row, null before a type is set.
    SGliderType* Type() const;
    // Makes the hull row's model points ready (CGliderManager::InitGlider) unless done; a hull
    // without a loaded model stays unprepared. True when the points are ready.
    bool PreparePoints();
    // The hull row's name, "None" without one.
    const char* TypeName() const;

    // Weapons and drawing (CGliderObject_draw.cpp).
    // Fires mount 0..3 with power (the bomb's throw strength).
    void Fire(int mount, float power);
    // Where and how fast the selected bomb would leave, and its explosion's radius; zeros
    // without bomb ammunition.
    void GetLaunchParams(Vec3& point, Vec3& velocity, float& blastRadius, float power) const;
    // Weights of the five channels of source table into target (0 where the source has none).
    static void CopyMorphChannels(const float* sourceWeights, const int32_t* sourceTable,
        float* targetWeights, const int32_t* targetTable);
    // A frame read from vertices 0, 1, 2 and 5 of the model's mesh morphed by the weights.
    static Matrix4 MeshFrame(CComplexObject* model, const float* morph);
    // Puts a mark into the first free entry and sets hitMarksActive; nothing when all 20 live.
    void AddHitMark(float amount, const Matrix4& matrix);
    void Draw() override; // slot 2
    void DrawNVisible() override; // slot 3
    void PreDraw() override; // slot 4
    // Slot 7: 0 gun effects, 1 glider effects, 2..21 hit mark 0..19.
    void DrawEffect(int argument) override;

    // The frame step, damage and death (CGliderObject_run.cpp).
    void Run() override; // slot 6
    // Slot 19: the part above 0 goes through the machine record; a remote copy only records it.
    void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass) override;
    // Damage point i starts to burn; i outside 0..7 throws XRangeError.
    void IgnitePoint(int i);
    void AgeHitMarks();

    // Slot 8: forgets a deleted target, following the nearest member of its group.
    void ProcessDelete(CZJObject* deleted) override;
    // Slots 9 and 10: the moving record, the glider's 20 bytes, then the machine record when it
    // changed. Unpacking reads only within the record's length.
    void PackNetState(uint8_t* record, int* size) override;
    void UnpackNetState(const uint8_t* record, int* size) override;
    // Slots 12 and 13: the moving part, flags and aim, then the machine's wear, the burning
    // points and the part damage (left out in the recorder's compact mode when size is short).
    void SaveGame(XMemBuffer& stream, int* size, bool shortForm) override;
    void LoadGame(XMemBuffer& stream, int* size, bool shortForm) override;
    // Slot 17: a contact is a hit of amount 0.
    void SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point) override;
    void SetStrafe(float amount) override; // slot 22
    void SetThrottle(float value) override; // slot 23
    void Jump(float strength) override; // slot 24

    float engineLevel = 0.0f; // engine load from thrust: flame size and opacity
    float engineLevel2 = 0.0f; // faster-decaying load: glow opacity
    float bank = 0.0f; // -1..1 from the turn rate
    float thrustSound = 0.0f; // 0..2, nozzle sound volume
    float hoverSound = 0.0f; // 0..1, follows the throttle slowly
    int32_t engineSoundHandle = -1;
    SGliderHitMark hitMarks[kHitMarks] {};
    CGliderObject* hitMarksOwner = nullptr;
    uint8_t hitMarksActive = 0;
    uint8_t overLiquid = 0; // above water of kind 0 this frame
    CSmoke dust; // the dust emitter under the glider
    float morphWeights[kMorphWeights] = {};
    uint8_t ferroChanged = 0; // the machine record travels with the next network record
    float bodyRadius = 0.0f; // the hull's radius for effect placement
    float partDamage[kPoints] = {};
    float throttle = 0.0f; // magnitude of the last throttle input
    CGliderObject* target = nullptr; // the glider this one fights
    uint32_t burningPoints = 0; // bit i: damage point i burns
    uint32_t nozzleDamage = 0; // bit 0 "FIRE", bit 1 "FIRE1" burns
    CGun guns[kMounts];
    Vec3 aimDirection {};
    uint8_t dead = 0; // the death has been played
    CFerrovant* ferrovant = nullptr; // not owned
    CBasicGLAI* ai = nullptr; // the machine group's, cleared before the glider goes
    CFerroGroup* netGroup = nullptr; // owned: the group made for a glider from the network
    plat::gfx::Light headlight {};
    plat::gfx::Light headGlow {};

private:
    void InitPlacement(const float* placement, int32_t row);
    float EngineMaxSpeed() const;
    bool HasEquipment(int flag) const;
    void RunEngineSound(float dt);
    void RunGround(float dt);
    // Damage point i as a world direction: the row's point turned by the drawn frame.
    Vec3 PointDirection(int i) const;
    // The explosion row of that name at the matrix, owned by this glider; null without the row.
    CExploObject* MakeExplosion(const char* name, const Matrix4& placement);
    void AttachExplosion(const char* name, const Vec3& at);
    void RunDust(float ground, float dt);
    void Die();
    CTheThing* MakeThing(int32_t kind);
    void ThrowOut(CTheThing* thing, const Vec3& velocity);
    void DropMoney();
    void DropCargo();
    uint8_t stockKept[kMounts] = {}; // a launcher's stock found no room in the machine's list
    bool netBlockLogged = false; // a too-long machine block was logged
};
