#include "world/db/CGun.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CTransform.h"
#include "foundation/CallTrace.h"
#include "foundation/XRandom.h"
#include "world/db/CExploManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/SoundGlobals.h"
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
    return Vec3 { from.x + direction.x * length, from.y + direction.y * length, from.z + direction.z * length };
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

// What one barrel's ray met.
struct SBarrelHit {
    Vec3 muzzle {};
    CZJObject* object = nullptr;
    Vec3 objectPoint {};
    bool terrain = false;
    Vec3 terrainPoint {};

    bool Any() const { return object || terrain; }
    Vec3 Point() const { return terrain ? terrainPoint : objectPoint; }
};

} // namespace

void CGun::Reset()
{
    reloadTimer = 0.0f;
    openState = kOpenClosed;
    soundHandle = -1;
    owner = nullptr;
    overheated = 0;
    trigger = 0.0f;
    timeSinceShot = 1.5f;
}

void CGun::Assign(SItemRecord record)
{
    ZJ_TRACE("CGun::Assign");
    item = record;
    const int32_t index = int32_t(record.words[0]);
    desc = index == -1 ? nullptr : &g_GunManager.GetGun(index);
    assigned = index != -1 ? 1 : 0;
    openState = kOpenClosed;
    openTimer = 0.0f;
    fireCounter = 0;
    currentBarrel = 0;
    if (soundHandle != -1 && g_pSoundManager)
        g_pSoundManager->StopSoundControl(soundHandle, SoundTag());
    soundHandle = -1;
    if (desc) {
        reloadTimer = -0.00001f;
        ammo = desc->ammoCapacity;
    } else {
        ammo = 0.0f;
    }
    projectileType = desc ? desc->projectile.Index() : -1;
    heat = 0.0f;
    shotVisibility = 0.0f;
    readySignal = 0.0f;
    overheated = 0;
}

bool CGun::IsPlayersGun() const
{
    return owner != nullptr && owner == PlayerObject;
}

bool CGun::RunsOpeningCycle() const
{
    return desc && desc->weaponClass == 1 && desc->hasOpenAnimation;
}

uint32_t CGun::SoundTag() const
{
    return uint32_t(reinterpret_cast<uintptr_t>(this)) | 1u;
}

void CGun::Run()
{
    ZJ_TRACE("CGun::Run");
    const float dt = FrameTime;
    if (reloadTimer > 0.0f)
        reloadTimer -= dt;
    timeSinceShot += dt;
    if (readySignal != 0.0f)
        readySignal = std::max(0.0f, readySignal - dt);
    if (RunsOpeningCycle()) {
        switch (openState) {
        case kOpening:
            openTimer += dt;
            if (openTimer > desc->openTime) {
                openState = kOpen;
                openTimer = desc->openTime;
                openHold = 0.0f;
                readySignal = kReadySignal;
                reloadTimer = 0.0f;
            }
            break;
        case kOpen:
            openHold += dt;
            if (openHold >= kOpenHoldLimit) {
                openState = kClosing;
                openTimer = desc->openTime;
            }
            break;
        case kClosing:
            openTimer -= dt;
            if (openTimer <= 0.0f) {
                openTimer = 0.0f;
                openState = kOpenClosed;
            }
            break;
        default:
            break;
        }
    }
    if (desc && desc->usesAmmo) {
        if (ammo < desc->ammoCapacity)
            ammo = std::min(desc->ammoCapacity, ammo + dt * desc->reloadRate);
    } else if (desc) {
        if (fireCounter != 0) {
            heat += (1.0f - desc->fireTime / desc->coolTime) * dt;
            if (heat > desc->fireTime)
                overheated = 1;
        } else {
            heat = std::max(0.0f, heat - dt * desc->fireTime / desc->coolTime);
            if (overheated && heat < desc->fireTime * 0.5f) {
                overheated = 0;
                readySignal = kReadySignal;
            }
        }
    }
    if (fireCounter < 2)
        trigger = std::max(0.0f, std::min(trigger, 0.25f) - dt);
    else
        trigger = std::min(trigger, 0.25f);
    if (fireCounter == 1)
        StopFireSound(true);
    if (fireCounter != 0) {
        --fireCounter;
        return;
    }
    reloadTimer = std::max(0.0f, reloadTimer - dt);
    shotVisibility = std::max(0.0f, shotVisibility - dt);
}

bool CGun::IsFiring() const
{
    if (desc && desc->continuous)
        return trigger > 0.0f;
    return timeSinceShot > 0.0f && timeSinceShot <= 1.5f;
}

void CGun::GetMountMatrices(const Matrix4& frame, Matrix4& mount)
{
    Matrix4Multiply(barrelMatrix, mount, frame);
    mount.m[12] = -mount.m[12];
    Matrix4Multiply(mirroredMatrix, mount, frame);
}

void CGun::StopFireSound(bool playEndSound)
{
    const bool looping = soundHandle != -1;
    if (looping && g_pSoundManager)
        g_pSoundManager->StopSoundControl(soundHandle, SoundTag());
    soundHandle = -1;
    if (!(looping || playEndSound) || !desc || desc->endSound.Index() == -1 || !g_pSoundManager)
        return;
    if (IsPlayersGun())
        g_pSoundManager->Play3DSound2D(desc->endSound.Index(), PlayerObject->position);
    else
        g_pSoundManager->Play3DSound(desc->endSound.Index(), shotStarts[currentBarrel]);
}

void CGun::PlayFireSound(const Vec3& muzzle, const Matrix4& frame)
{
    if (!desc || desc->sound.Index() == -1 || !g_pSoundManager)
        return;
    const bool players = IsPlayersGun();
    Vec3 position = muzzle;
    if (players) {
        const Matrix4& m = PlayerObject->matrix;
        position = Along(Translation(frame), Vec3 { m.m[2], m.m[6], m.m[10] }, 4.0f);
    }
    if (desc->continuous) {
        soundHandle = g_pSoundManager->GetSoundControl(desc->sound.Index(), soundHandle, SoundTag(), position, !players);
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
    auto* missile = static_cast<CMissileObject*>(
        g_MissileManager.CreateObject(typeId, orientation.matrix.m, nullptr));
    missile->owner = owner;
    if (CGliderObject* glider = AsGlider(owner)) {
        missile->velocity.x += glider->velocity.x * velocityFactor;
        missile->velocity.y += glider->velocity.y * velocityFactor;
        missile->velocity.z += glider->velocity.z * velocityFactor;
    }
    if (IsPlayersGun() && PlayerObject->networked) {
        missile->networked = 1;
        missile->owned = 1;
        missile->networkId = ++NetworkIdCounter;
        ObjectList.AddToExtraList(missile);
    }
    if (IsPlayersGun()) {
        if (CGliderObject* player = AsGlider(PlayerObject); player && player->target) {
            missile->target = player->target;
            missile->hasTarget = 1;
        }
    }
    return missile;
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
    const float interval = 1.0f / rate;
    const int shots = std::min(2, int(1.0f - reloadTimer * rate));
    const float range = desc->range != 0.0f ? desc->range : kDefaultRange;

    const int barrels = desc->doubleGun ? 2 : 1;
    SBarrelHit hits[2];
    for (int b = 0; b < barrels; ++b) {
        SBarrelHit& hit = hits[b];
        const Vec3 local { b == 0 ? mount.m[12] : -mount.m[12], mount.m[13], mount.m[14] };
        TransformCoord(hit.muzzle, local, frame);
        Vec3 objectPoint {};
        CZJObject* object = nullptr;
        if (ObjectList.GetRayIntersection(hit.muzzle, aim, range, objectPoint, owner, object) && object) {
            hit.object = object;
            hit.objectPoint = objectPoint;
        }
        hit.terrain = Location.GetRayIntersection(hit.muzzle, aim, range, hit.terrainPoint);
        if (hit.terrain && hit.object
            && DistanceSq(hit.muzzle, hit.objectPoint) < DistanceSq(hit.muzzle, hit.terrainPoint))
            hit.terrain = false;
    }

    CGliderObject* gliderOwner = AsGlider(owner);
    if (!IsPlayersGun()) {
        ZJ_TRACE("ALLOW");
        const SBarrelHit& hit = hits[desc->doubleGun ? 1 - currentBarrel : 0];
        const bool refused = (hit.terrain && DistanceSq(hit.muzzle, hit.terrainPoint) < kSafeTerrainDistanceSq)
            || AsGlider(hit.object) == nullptr
            || (gliderOwner && gliderOwner->NotAllowTarget(AsGlider(hit.object)));
        if (refused) {
            StopFireSound(false);
            return;
        }
    }
    const float cost = desc->continuous ? dt * desc->power : desc->power / rate;
    if (gliderOwner && reloadTimer <= 0.0f) {
        if (!(gliderOwner->energy > cost)) {
            StopFireSound(false);
            return;
        }
        gliderOwner->energy -= cost;
    }
    // A later shot of this frame is paid on its own.
    auto payAgain = [&]() {
        if (!gliderOwner)
            return true;
        if (!(gliderOwner->energy > cost))
            return false;
        gliderOwner->energy -= cost;
        return true;
    };

    fireCounter = 2;
    trigger += 2.0f * dt;
    if (reloadTimer > 0.0f)
        return;

    const int kind = desc->shotKind;
    switch (kind) {
    case 1:
    case 3:
    case 6:
    case 7:
    case 8: {
        if (desc->doubleGun)
            currentBarrel ^= 1;
        const int b = desc->doubleGun ? currentBarrel : 0;
        const SBarrelHit& hit = hits[b];
        const Vec3 point = hit.Point();
        if (hit.Any() && desc->explosion.Index() != -1) {
            Matrix4 at;
            Matrix4Identity(at);
            at.m[12] = point.x;
            at.m[13] = point.y;
            at.m[14] = point.z;
            g_ExploManager.CreateObject(desc->explosion.Key(), at.m, nullptr);
        }
        shotLength = hit.Any() ? std::min(range, std::sqrt(DistanceSq(hit.muzzle, point))) : range;
        shotStarts[b] = hit.muzzle;
        shotEnds[b] = Along(hit.muzzle, aim, shotLength);
        if (desc->doubleGun) {
            shotStarts[1 - b] = hits[1 - b].muzzle;
            shotEnds[1 - b] = Along(hits[1 - b].muzzle, aim, shotLength);
        }
        if (hit.object && !hit.terrain && hit.object->hittable) {
            const float damage = owner && owner->remote ? 0.0f : desc->damage;
            const int attacker = owner ? int(owner->objectId) : 0;
            for (int k = 0; k < shots; ++k)
                hit.object->Damage(damage, point, kind != 3 ? 1 : 0, attacker, -1);
        }
        PlayFireSound(hits[b].muzzle, frame);
        break;
    }
    case 2:
    case 4:
    case 5:
        for (int k = 0; k < shots; ++k) {
            if (k > 0 && !payAgain())
                continue;
            const float offset = float(k) * interval - reloadTimer;
            if (desc->doubleGun)
                currentBarrel ^= 1;
            const Vec3 direction { aim.x + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f,
                aim.y + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f, aim.z + (SharedRandom.Get(2.0f) - 1.0f) * 0.005f };
            if (CZJObject* missile = Launch(hits[desc->doubleGun ? currentBarrel : 0].muzzle, direction, velocityFactor)) {
                auto* moving = static_cast<CMissileObject*>(missile);
                CPhysics::PreMove(moving, offset * 0.25f);
                CPhysics::Move(moving, offset * 0.25f);
            }
        }
        PlayFireSound(hits[desc->doubleGun ? currentBarrel : 0].muzzle, frame);
        break;
    case 9: {
        if (projectileType == -1)
            return;
        const int fan = std::clamp(desc->fanSize, 1, 5);
        for (int k = 0; k < shots; ++k) {
            if (k > 0 && !payAgain())
                return;
            const float offset = float(k) * interval - reloadTimer;
            if (desc->doubleGun)
                currentBarrel ^= 1;
            const Vec3 muzzle = hits[desc->doubleGun ? currentBarrel : 0].muzzle;
            for (int j = 0; j < fan; ++j) {
                const float angle = (float(j) - float(fan - 1) * 0.5f) * std::numbers::pi_v<float> * 0.002f;
                const float c = std::cos(angle), s = std::sin(angle);
                const Vec3 direction { aim.x * c - aim.y * s, aim.x * s + aim.y * c, aim.z };
                auto* missile = static_cast<CMissileObject*>(Launch(muzzle, direction, velocityFactor));
                if (missile && offset != 0.0f) {
                    CPhysics::PreMove(missile, offset);
                    CPhysics::Move(missile, offset);
                }
            }
            if (k == 0)
                PlayFireSound(muzzle, frame);
        }
        PlayFireSound(hits[desc->doubleGun ? currentBarrel : 0].muzzle, frame);
        break;
    }
    default:
        return;
    }
    if (desc->usesAmmo)
        ammo -= float(shots);
    timeSinceShot = 0.0f;
    shotVisibility = 1.0f;
    reloadTimer += float(shots) * interval;
}
