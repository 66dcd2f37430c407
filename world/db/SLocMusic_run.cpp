// The timed sounds of the location music: started at random moments within their hours.
#include "world/db/SLocMusic.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "world/terrain/CEnvironment.h"

#include <cmath>

namespace {

template <typename T, size_t N> T& At(T (&table)[N], uint32_t i)
{
    if (i >= N)
        throw XRangeError();
    return table[i];
}

int CurrentHour()
{
    const double days = GameTimeDays();
    return int((days - std::floor(days)) * 24.0);
}

} // namespace

void SLocMusic::InitTimers()
{
    ZJ_TRACE("SLocMusic::InitTimers");
    for (uint32_t i = 0; i < soundCount; ++i) {
        const STimedSound& sound = At(sounds, i);
        STimedSoundState& state = At(soundStates, i);
        state.handle = -1;
        state.nextStart = SharedRandom.Get(sound.interval);
        state.remaining = SharedRandom.Get(sound.length) + sound.length * 0.5f;
    }
}

void SLocMusic::Run(float dt)
{
    ZJ_TRACE("SLocMusic::Run");
    const double t = GameClock;
    const double end = t + double(dt);
    const int hour = CurrentHour();
    for (uint32_t i = 0; i < soundCount; ++i) {
        const STimedSound& sound = At(sounds, i);
        STimedSoundState& state = At(soundStates, i);
        if (t < state.nextStart && state.nextStart <= end) {
            if (hour < sound.firstHour || hour >= sound.endHour) {
                state.nextStart += sound.interval * 0.5f;
            } else if (g_pSoundManager) {
                const int id = g_pSoundManager->GetRowNames().Find(sound.key);
                if (id >= 0 && !sound.held) {
                    g_pSoundManager->PlaySound(id, 0);
                } else if (id >= 0) {
                    const Vec3 at = g_pSoundManager->GetListenerPosition();
                    state.handle = g_pSoundManager->GetSoundControl(id, state.handle, kSoundTag, at, false);
                    g_pSoundManager->PlaySoundControl(state.handle, at, true, false);
                }
            }
        }
        if (state.nextStart < end && state.nextStart + state.remaining <= end) {
            if (sound.held && g_pSoundManager)
                g_pSoundManager->StopSoundControl(state.handle, kSoundTag);
            state.nextStart = float(t) + sound.interval * 0.5f + SharedRandom.Get(sound.interval) + dt;
            state.remaining = SharedRandom.Get(sound.length) + sound.length * 0.5f;
        }
    }
}
