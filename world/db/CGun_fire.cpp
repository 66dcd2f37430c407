// CGun's trigger: FIRE checks the opening cycle, heat, ammunition, the AI's permission and the
// energy, then fires the frame's shots by the weapon's shot family: instant hits, scattered
// missiles or fans of projectiles.
#include "world/db/CGun.h"

#include "ai/CFerrovant.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CTransform.h"
#include "foundation/CallTrace.h"
#include "foundation/XRandom.h"
#include "world/db/CExploManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CPhysics.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace {

Vec3 Translation(const Matrix4& m)
{
    return Vec3 { m.m[12], m.m[13], m.m[14] };
}

Vec3 Along(const Vec3& from, const Vec3& direction, float length)
{
    return Vec3 { from.x + direction.x * length, from.y + direction.y * length,
        from.z + direction.z * length };
}

float DistanceSq(const Vec3& a, const Vec3& b)
{
    const Vec3 d { a.x - b.x, a.y - b.y, a.z - b.z };
    return Vec3LengthSq(d);
}

CGliderObject* AsGlider(CZJObject* object)
{
    return object && object->type == 14 ? static_cast<CGliderObject*>(object) : nullptr;
}

} // namespace

// What one barrel's ray met.
struct CGun::SBarrelHit {
    Vec3 muzzle {};
    CZJObject* object = nullptr;
    Vec3 objectPoint {};
    bool terrain = false;
    Vec3 terrainPoint {};

    bool Any() const { return object || terrain; }
    Vec3 Point() const { return terrain ? terrainPoint : objectPoint; }
};

// One frame of fire: what the barrels aim at, how many shots the frame fires and what each costs.
struct CGun::SVolley {
    SBarrelHit hits[2];
    float range = 0.0f;
    int shots = 0; // at most 2
    float interval = 0.0f; // seconds between shots
    float cost = 0.0f; // energy a shot, or a second of a continuous weapon
    CGliderObject* payer = nullptr; // the glider owner, which pays from its machine's reactor

    // Takes the cost from the payer's reactor; a glider without a machine holds no energy.
    bool Pay() const
    {
        if (!payer)
            return true;
        CFerrovant* machine = payer->ferrovant;
        if (!machine || !(machine->energy > cost))
            return false;
        machine->energy -= cost;
        return true;
    }
};

void CGun::PlayFireSound(const Vec3& muzzle, const Matrix4& frame)
{
    if (!desc || desc->sound.Index() == -1 || !g_pSoundManager)
        return;
    const bool players = IsPlayersGun();
    Vec3 position = muzzle;
    if (players) {
        const Matrix4& m = PlayerObject->frame.matrix;
        position = Along(Translation(frame), Vec3 { m.m[2], m.m[6], m.m[10] }, 4.0f);
    }
    if (desc->continuous) {
        soundHandle = g_pSoundManager->GetSoundControl(
            desc->sound.Index(), soundHandle, SoundTag(), position, !players);
        if (players)
            g_pSoundManager->SetSoundControl2D(soundHandle, true);
        g_pSoundManager->PlaySoundControl(soundHandle, position, true, true);
    } else if (players) {
        g_pSoundManager->Play3DSound2D(desc->sound.Index(), position);
    } else {
        g_pSoundManager->Play3DSound(desc->sound.Index(), position);
    }
}

CZJObject* CGun::Launch(const Vec3& muzzle, const Vec3& direction, float velocityFactor)
{
    if (projectileType == -1)
        return nullptr;
    CTransform orientation;
    orientation.SetDirection(direction);
    orientation.SetPosition(muzzle);
    NameKey32 typeId {};
    std::memcpy(typeId.text, &projectileType, 4);
    auto* missile
        = static_cast<CMissileObject*>(g_MissileManager.CreateObject(typeId, orientation.matrix.m, nullptr));
    missile->owner = owner;
    if (CGliderObject* glider = AsGlider(owner)) {
        missile->velocity.x += glider->velocity.x * velocityFactor;
        missile->velocity.y += glider->velocity.y * velocityFactor;
        missile->velocity.z += glider->velocity.z * velocityFactor;
    }
    if (IsPlayersGun() && PlayerObject->remote) {
        missile->networked = 1;
        missile->owned = 1;
        missile->networkId = ObjectList.NextNetworkId();
        ObjectList.AddToExtraList(missile);
    }
    if (IsPlayersGun()) {
        if (CGliderObject* player = AsGlider(PlayerObject); player && player->target) {
            missile->target = player->target;
            missile->targetLocked = 1;
        }
    }
    return missile;
}

void CGun::TraceBarrels(const Matrix4& frame, const Matrix4& mount, SVolley& volley) const
{
    const int barrels = desc->doubleGun ? 2 : 1;
    for (int b = 0; b < barrels; ++b) {
        SBarrelHit& hit = volley.hits[b];
        const Vec3 local { b == 0 ? mount.m[12] : -mount.m[12], mount.m[13], mount.m[14] };
        TransformCoord(hit.muzzle, local, frame);
        Vec3 objectPoint {};
        CZJObject* object = nullptr;
        if (ObjectList.GetRayIntersection(hit.muzzle, aim, volley.range, objectPoint, owner, object)
            && object) {
            hit.object = object;
            hit.objectPoint = objectPoint;
        }
        hit.terrain = Location.GetRayIntersection(hit.muzzle, aim, volley.range, hit.terrainPoint);
        if (hit.terrain && hit.object
            && DistanceSq(hit.muzzle, hit.objectPoint) < DistanceSq(hit.muzzle, hit.terrainPoint))
            hit.terrain = false;
    }
}

bool CGun::AllowsTarget(const SVolley& volley) const
{
    const SBarrelHit& hit = volley.hits[desc->doubleGun ? 1 - currentBarrel : 0];
    const bool refused = (hit.terrain && DistanceSq(hit.muzzle, hit.terrainPoint) < kSafeTerrainDistanceSq)
        || AsGlider(hit.object) == nullptr
        || (volley.payer && volley.payer->NotAllowTarget(AsGlider(hit.object)));
    return !refused;
}

void CGun::FIRE(const Matrix4& frame, Matrix4 mount, Vec3 aimDirection, float velocityFactor)
{
    ZJ_TRACE("CGun::FIRE");
    if (!desc)
        return;
    if (!desc->prepared)
        g_GunManager.InitGun(int32_t(item.words[0]));
    aim = aimDirection;
    // Only class 1 runs the opening cycle; other weapons fire at once.
    if (RunsOpeningCycle()) {
        switch (openState) {
        case kOpenClosed:
            openState = kOpening;
            openTimer = 0.0f;
            return;
        case kOpening:
            return;
        case kClosing:
            openState = kOpening;
            return;
        default:
            openHold = 0.0f;
            break;
        }
    }
    if ((desc->usesAmmo && ammo < 1.0f) || (desc->continuous && overheated)) {
        StopFireSound(false);
        return;
    }
    const float dt = FrameTime;
    const float rate = desc->rateOfFire;
    SVolley volley;
    volley.interval = 1.0f / rate;
    volley.shots = std::min(2, int(1.0f - reloadTimer * rate));
    volley.range = desc->range != 0.0f ? desc->range : kDefaultRange;
    volley.cost = desc->continuous ? dt * desc->power : desc->power / rate;
    volley.payer = AsGlider(owner);
    TraceBarrels(frame, mount, volley);

    if (!IsPlayersGun()) {
        ZJ_TRACE("ALLOW");
        if (!AllowsTarget(volley)) {
            StopFireSound(false);
            return;
        }
    }
    if (reloadTimer <= 0.0f && !volley.Pay()) {
        StopFireSound(false);
        return;
    }

    fireCounter = 2;
    trigger += 2.0f * dt;
    if (reloadTimer > 0.0f)
        return;

    switch (ShotKind(desc->shotKind)) {
    case ShotKind::Laser:
    case ShotKind::Ray:
    case ShotKind::Arc:
    case ShotKind::Bolt:
    case ShotKind::Pulse:
        FireInstantHit(volley, frame);
        break;
    case ShotKind::Rocket:
    case ShotKind::Missile:
    case ShotKind::Bomb:
        FireMissiles(volley, frame, velocityFactor);
        break;
    case ShotKind::Fan:
        if (!FireFan(volley, frame, velocityFactor))
            return;
        break;
    default:
        return;
    }
    if (desc->usesAmmo)
        ammo -= float(volley.shots);
    timeSinceShot = 0.0f;
    shotVisibility = 1.0f;
    reloadTimer += float(volley.shots) * volley.interval;
}

// The shot reaches the first thing on its barrel's ray at once: an explosion there, the damage of
// every shot of the frame to a hittable object, and the shot's geometry for drawing.
void CGun::FireInstantHit(const SVolley& volley, const Matrix4& frame)
{
    if (desc->doubleGun)
        currentBarrel ^= 1;
    const int b = desc->doubleGun ? currentBarrel : 0;
    const SBarrelHit& hit = volley.hits[b];
    const Vec3 point = hit.Point();
    if (hit.Any() && desc->explosion.Index() != -1) {
        Matrix4 at;
        Matrix4Identity(at);
        at.m[12] = point.x;
        at.m[13] = point.y;
        at.m[14] = point.z;
        // The blast is the shooter's: a kill by it counts as the owner's.
        if (CZJObject* explosion = g_ExploManager.CreateObject(desc->explosion.Key(), at.m, nullptr))
            explosion->owner = owner;
    }
    shotLength = hit.Any() ? std::min(volley.range, std::sqrt(DistanceSq(hit.muzzle, point))) : volley.range;
    shotStarts[b] = hit.muzzle;
    shotEnds[b] = Along(hit.muzzle, aim, shotLength);
    if (desc->doubleGun) {
        shotStarts[1 - b] = volley.hits[1 - b].muzzle;
        shotEnds[1 - b] = Along(volley.hits[1 - b].muzzle, aim, shotLength);
    }
    if (hit.object && !hit.terrain && hit.object->targetable) {
        // A copy of another player's glider deals no damage here.
        const float damage = owner && owner->remote && !owner->owned ? 0.0f : desc->damage;
        const int flag = ShotKind(desc->shotKind) != ShotKind::Ray ? 1 : 0;
        for (int k = 0; k < volley.shots; ++k)
            hit.object->Damage(damage, point, flag, owner, -1);
    }
    PlayFireSound(volley.hits[b].muzzle, frame);
}

// One missile a shot, scattered a little about the aim and moved on by its share of the frame.
void CGun::FireMissiles(const SVolley& volley, const Matrix4& frame, float velocityFactor)
{
    for (int k = 0; k < volley.shots; ++k) {
        if (k > 0 && !volley.Pay())
            continue;
        const float offset = float(k) * volley.interval - reloadTimer;
        if (desc->doubleGun)
            currentBarrel ^= 1;
        // The three draws go in this order: x, y, z.
        const Vec3 direction { aim.x + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f,
            aim.y + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f,
            aim.z + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f };
        const SBarrelHit& barrel = volley.hits[desc->doubleGun ? currentBarrel : 0];
        if (CZJObject* missile = Launch(barrel.muzzle, direction, velocityFactor)) {
            auto* moving = static_cast<CMissileObject*>(missile);
            Physics.PreMove(moving, offset * 0.25f);
            Physics.Move(moving, offset * 0.25f);
        }
    }
    PlayFireSound(volley.hits[desc->doubleGun ? currentBarrel : 0].muzzle, frame);
}

// A shot is a fan of 1 to 5 projectiles turned about the z axis, moved on by its share of the
// frame; the first shot sounds, and the last barrel sounds once more at the end.
bool CGun::FireFan(const SVolley& volley, const Matrix4& frame, float velocityFactor)
{
    if (projectileType == -1)
        return false;
    const int fan = std::clamp(desc->fanSize, 1, 5);
    for (int k = 0; k < volley.shots; ++k) {
        if (k > 0 && !volley.Pay())
            return false;
        const float offset = float(k) * volley.interval - reloadTimer;
        if (desc->doubleGun)
            currentBarrel ^= 1;
        const Vec3 muzzle = volley.hits[desc->doubleGun ? currentBarrel : 0].muzzle;
        for (int j = 0; j < fan; ++j) {
            const float angle = (float(j) - float(fan - 1) * 0.5f) * std::numbers::pi_v<float> * 0.002f;
            const float c = std::cos(angle), s = std::sin(angle);
            const Vec3 direction { aim.x * c - aim.y * s, aim.x * s + aim.y * c, aim.z };
            auto* missile = static_cast<CMissileObject*>(Launch(muzzle, direction, velocityFactor));
            if (missile && offset != 0.0f) {
                Physics.PreMove(missile, offset);
                Physics.Move(missile, offset);
            }
        }
        if (k == 0)
            PlayFireSound(muzzle, frame);
    }
    PlayFireSound(volley.hits[desc->doubleGun ? currentBarrel : 0].muzzle, frame);
    return true;
}
