// CGun's state: arming from an item, the per-frame update (opening cycle, heat or ammunition,
// trigger envelope) and the looping fire sound.
#include "world/db/CGun.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "world/db/CGunManager.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cstdint>

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
        g_pSoundManager->Play3DSound2D(desc->endSound.Index(), PlayerObject->frame.position);
    else
        g_pSoundManager->Play3DSound(desc->endSound.Index(), shotStarts[currentBarrel]);
}
