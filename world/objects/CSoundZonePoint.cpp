#include "world/objects/CSoundZonePoint.h"

#include "audio/CSoundManager.h"
#include "foundation/CViewFrame.h"
#include "foundation/Rand.h"
#include "world/db/CSoundZoneManager.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr float kInside = 1.1f; // of the radius

float Period(const SSoundZoneType& row)
{
    return row.random ? (RandRange(1.6f) + 0.2f) * row.period : row.period;
}

} // namespace

CSoundZonePoint::CSoundZonePoint(NameKey32 typeId, const float* placement, const char* pointName)
    : CHelperPoint(placement, pointName, kKind)
{
    std::snprintf(typeName, sizeof typeName, "%.31s", typeId.text);
    const int row = g_SoundZoneManager.FindRow(typeName);
    if (row >= 0 && row < g_SoundZoneManager.RowCount())
        rowData = &g_SoundZoneManager.GetDesc(row);
    if (!rowData)
        return;
    Rearm();
    timer *= 0.75f + 0.25f * RandRange(1.0f);
}

CSoundZonePoint::~CSoundZonePoint()
{
    if (soundHandle != -1 && g_pSoundManager)
        g_pSoundManager->StopSoundControl(soundHandle, SoundTag());
}

void CSoundZonePoint::Run(float dt)
{
    if (!rowData || !g_pSoundManager)
        return;
    Vec3 d;
    Vec3Sub(d, ViewFrame.position, transform.position);
    if (!(Vec3Length(d) < kInside * radius)) {
        if (soundHandle != -1)
            g_pSoundManager->StopSoundControl(soundHandle, SoundTag());
        return;
    }
    if (timer > 0.0f) {
        timer -= dt;
        return;
    }
    soundHandle = g_pSoundManager->GetSoundControl(
        rowData->sound.Index(), soundHandle, SoundTag(), transform.position, true);
    if (soundHandle == -1) {
        Rearm();
        return;
    }
    g_pSoundManager->SetSoundControlDistance(soundHandle, radius);
    if (!rowData->loop) {
        g_pSoundManager->PlaySoundControl(soundHandle, transform.position, false, true);
        Rearm();
        return;
    }
    remaining -= dt;
    g_pSoundManager->PlaySoundControl(soundHandle, transform.position, true, true);
    g_pSoundManager->UpdateSoundControlFade(soundHandle, dt);
    if (remaining <= kFadeSeconds)
        g_pSoundManager->BeginFade(soundHandle, kFadeSeconds);
    if (remaining <= 0.0f) {
        g_pSoundManager->StopSoundControl(soundHandle, SoundTag());
        Rearm();
    }
}

void CSoundZonePoint::Rearm()
{
    timer = Period(*rowData);
    remaining = (RandRange(1.0f) + 0.5f) * rowData->length;
}

uint32_t CSoundZonePoint::SoundTag() const
{
    return uint32_t(reinterpret_cast<uintptr_t>(this)) | 1u;
}
