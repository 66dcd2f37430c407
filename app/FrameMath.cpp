#include "app/FrameMath.h"

#include "foundation/XRandom.h"

#include <algorithm>
#include <cmath>

namespace framemath {

float NextZoom(float zoom, float speedSq, float dt)
{
    const float grown = zoom + speedSq * 0.000005f * dt;
    const float decay = std::pow(1.5f * (1.0f + std::fabs(0.0000000001f * grown)), dt);
    return std::min(grown / decay, kMaxZoom);
}

SViewFields ViewFields(float zoom, float width, float height)
{
    float fovY = (zoom + 1.0f) * kBaseFov;
    if (width * fovY / height > kMaxFovX)
        fovY = height / width * kMaxFovX;
    return { width * fovY / height, fovY };
}

float StasisFactor(uint32_t mode, float countdown)
{
    switch (mode) {
    case 1:
        return (10.0f - countdown) * 0.4f + 1.0f;
    case 2:
        return 5.0f;
    case 3:
        return countdown * 0.4f + 1.0f;
    default:
        return 1.0f;
    }
}

bool CrossesStep(double before, double after, double step)
{
    return std::floor(after / step) != std::floor(before / step);
}

int32_t MachineWarning(
    float energyLevel, float armourLevel, float hullWear, float reactorWear, float engineWear)
{
    int32_t indicator = -1;
    if (energyLevel < kLowEnergy)
        indicator = 6;
    if (armourLevel < 0.05f && (hullWear > 0.25f || reactorWear > 0.25f || engineWear > 0.5f))
        indicator = 3;
    return indicator;
}

int32_t WithZoneState(int32_t indicator, int32_t zoneState)
{
    if (zoneState == -1)
        return indicator;
    return zoneState == 3 ? 4 : zoneState;
}

void WeighGroup(float distanceSq, float threat, bool recentlyHit, bool& fight, bool& calm)
{
    if (threat > 3.0f && distanceSq < kFightStart * kFightStart && recentlyHit)
        fight = true;
    if (distanceSq < kFightKeep * kFightKeep)
        calm = false;
}

bool IsOneOf(int32_t track, const int32_t* tracks, uint32_t count)
{
    return std::find(tracks, tracks + count, track) != tracks + count;
}

namespace {

// A track of -1 (absent from the music table) plays nothing.
SMusicChoice Play(int32_t track, bool loop, bool flipAlternate = false)
{
    return { track >= 0, track, loop, flipAlternate };
}

} // namespace

SMusicChoice ChooseMusic(const SMusicSituation& s, XRandom& random)
{
    const bool fightPlaying = s.current != -1 && IsOneOf(s.current, s.battle, s.battleCount);
    if (s.destroyed)
        return Play(s.deathTrack, false);
    if (s.fight || (fightPlaying && !s.calm)) {
        if (fightPlaying || s.battleCount == 0)
            return {};
        return Play(s.battle[random.GetInt(int32_t(s.battleCount))], true);
    }
    if (s.zoneState > 2)
        return Play(s.specialTrack, true);
    if (s.nearTower)
        return Play(s.towerTrack, true);
    if (s.current == s.mainTrack || IsOneOf(s.current, s.calmTracks, s.calmCount) || s.calmCount == 0)
        return {};
    const int32_t track = s.alternate ? s.mainTrack : s.calmTracks[random.GetInt(int32_t(s.calmCount))];
    return Play(track, false, true);
}

} // namespace framemath
