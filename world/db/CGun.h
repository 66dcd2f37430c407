// CGun: one weapon mounted on a world object (four on a glider, one on a tower). It takes its
// rules from a weapon descriptor and keeps the instance state: the opening cycle of class-1 guns
// with an "OPEN" animation, reload, heat or ammunition, the trigger envelope behind flash and
// sound, the geometry of the last shot and its looping sound. The owner calls Run every frame and
// FIRE for every frame its trigger is held. Main thread only.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "world/db/CEquipment.h"

#include <cstdint>

class CZJObject;
struct SGunType;

class CGun {
public:
    // ShootType of the weapon table: the numbers are stored in the data.
    enum class ShotKind : int32_t {
        Laser = 1, // instant hit
        Rocket = 2, // one slightly scattered projectile a shot
        Ray = 3, // instant hit of damage flag 0, drawn as a scrolling ray
        Missile = 4, // as Rocket
        Bomb = 5, // as Rocket
        Arc = 6, // instant hit drawn as an electric arc
        Bolt = 7, // instant hit
        Pulse = 8, // instant hit drawn as an animated beam
        Fan = 9, // a fan of XSTATE projectiles a shot
    };

    static constexpr int kOpenClosed = 0, kOpening = 1, kOpen = 2, kClosing = 3;
    static constexpr float kOpenHoldLimit = 10.0f;
    static constexpr float kReadySignal = 0.5f;
    static constexpr float kDefaultRange = 500.0f;
    static constexpr float kSafeTerrainDistanceSq = 10000.0f;

    // Reload timer 0, closed, no sound, no owner, not overheated, envelope 0, time since shot 1.5.
    void Reset();
    // Arms the gun from an equipment item whose first word is the weapon (-1 none); a bad index
    // throws XRangeError.
    void Assign(SItemRecord item);
    // The per-frame update with the frame time.
    void Run();
    // One frame of held trigger: the owner's world matrix, the mount (its translation is the
    // barrel in the owner's space), the unit aim and the factor on the owner's velocity that
    // projectiles inherit.
    void FIRE(const Matrix4& frame, Matrix4 mount, Vec3 aimDirection, float velocityFactor);
    // A continuous weapon while its envelope is above 0; others until 1.5 s after a shot.
    bool IsFiring() const;
    // Barrel matrix := mount x frame; the mount's x translation is negated in place; mirrored
    // barrel matrix := mount x frame.
    void GetMountMatrices(const Matrix4& frame, Matrix4& mount);
    // Stops the looping sound and plays the end sound; with no loop running, the end sound plays
    // only when asked.
    void StopFireSound(bool playEndSound);

    // Drawing, from the owner's draw and effect passes. The part group selects the owner's parts
    // (-1 all). Draw sets the barrel matrices; DrawEffect draws the muzzle flash and, while the
    // gun fires, the shot.
    void Draw(const Matrix4& frame, Matrix4 mount, int partGroup);
    void DrawEffect(bool withoutFlash, int partGroup);
    // The shot visuals from the effect point matrices of the two barrels; nothing when the last
    // shot has no length.
    void DrawShoot(int kind, const Matrix4& point1, const Matrix4& point2);
    // Lights 10 and 11 at the muzzles, coloured by the weapon.
    void SetShotLights(const Matrix4& frame, Matrix4 mount);

    static constexpr int kArcPoints = 100;
    Vec3 arcPoints[kArcPoints] {}; // the last electric arc, points 0 .. n
    int32_t arcSegments = 0;
    int32_t lastFlashFrame = -1; // the effect model's frame at the last flash

    Matrix4 barrelMatrix {};
    Matrix4 mirroredMatrix {};
    float shotLength = 0.0f;
    int32_t currentBarrel = 0;
    int32_t soundHandle = -1;
    Vec3 shotStarts[2] {};
    Vec3 shotEnds[2] {};
    float readySignal = 0.0f;
    SItemRecord item {};
    int32_t projectileType = -1;
    int32_t fireCounter = 0;
    float shotVisibility = 0.0f;
    int32_t openState = kOpenClosed;
    SGunType* desc = nullptr;
    CZJObject* owner = nullptr;
    float trigger = 0.0f;
    float reloadTimer = 0.0f;
    float timeSinceShot = 1.5f;
    float openTimer = 0.0f;
    float openHold = 0.0f;
    Vec3 aim {};
    float ammo = 0.0f;
    uint8_t assigned = 0;
    uint8_t overheated = 0;
    float heat = 0.0f;

private:
    struct SBarrelHit;
    struct SVolley;

    bool IsPlayersGun() const;
    bool RunsOpeningCycle() const;
    uint32_t SoundTag() const;
    void PlayFireSound(const Vec3& muzzle, const Matrix4& frame);
    // A projectile of this gun's type along a direction; null when the type is -1.
    CZJObject* Launch(const Vec3& muzzle, const Vec3& direction, float velocityFactor);
    // What the ray of each barrel meets within range: the nearer of an object and the terrain.
    void TraceBarrels(const Matrix4& frame, const Matrix4& mount, SVolley& volley) const;
    // An AI gun fires only at a glider its owner may attack, and never into terrain close by.
    bool AllowsTarget(const SVolley& volley) const;
    // The shot families of FIRE, once the frame's shots are paid for.
    void FireInstantHit(const SVolley& volley, const Matrix4& frame);
    void FireMissiles(const SVolley& volley, const Matrix4& frame, float velocityFactor);
    // False when the fan stops early (no projectile type, or no energy for a later shot): FIRE
    // then leaves the ammunition, the reload timer and the shot clock as they were.
    bool FireFan(const SVolley& volley, const Matrix4& frame, float velocityFactor);
    int Index() const { return int32_t(item.words[0]); }
    // The effect point's matrix (with the "FIRE" weight) of part i of the gun model; false when
    // the part is missing.
    bool EffectPoint(int i, Matrix4& out);
    void DrawArc(const Matrix4& point1, const Matrix4& point2, const Vec3& camera);
    // Shot kinds 1 and 7: the fading ray of each barrel, kind 7 with an additive glow over it.
    void DrawRays(int kind, const Matrix4& point1, const Matrix4& point2, const Vec3& camera);
};

// Switches lights 10 and 11 off after the owner has drawn.
void DisableShotLights();
// Frame n of a columns x rows atlas through the stage-0 texture transform, and switching that
// transform off again.
void SetTextureFrame(int columns, int rows, int n);
void ResetTextureFrame();
