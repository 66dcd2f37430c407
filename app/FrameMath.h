// The arithmetic of the game frame: the zoom and field of view that widen with speed, the time
// scale of the stasis mode, the warning indicator, the fight and calm test of one machine group
// and the choice of music. Pure functions of their arguments (the music choice steps the
// generator it is given).
#pragma once

#include <cstdint>

class XRandom;

namespace framemath {

inline constexpr float kFarPlane = 14000.0f;
inline constexpr float kNearPlane = 1.0f;
inline constexpr float kBaseFov = 50.0f; // degrees, vertical, standing still
inline constexpr float kMaxFovX = 88.0f; // degrees, horizontal
inline constexpr float kMaxZoom = 0.25f;
inline constexpr float kFightStart = 975.0f; // starts fight music
inline constexpr float kFightKeep = 1300.0f; // keeps it
inline constexpr float kLowEnergy = 0.24060151f; // 32/133, the cockpit's warning colour too
inline constexpr float kTowerMargin = 50.0f;
inline constexpr float kTowerSearch = 1000.0f;
inline constexpr float kHourDrift = 0.041666668f; // one hour in days

// The zoom after dt seconds at a squared speed: grows with it, decays by 1.5 a second, at most
// kMaxZoom.
float NextZoom(float zoom, float speedSq, float dt);

struct SViewFields {
    float fovX; // degrees
    float fovY;
};
// The fields of view of a zoom on a screen; the horizontal one at most kMaxFovX.
SViewFields ViewFields(float zoom, float width, float height);

// The stasis mode's time factor: 1 rising, 2 held, 3 falling; any other mode 1.
float StasisFactor(uint32_t mode, float countdown);

// True when the span (before, after] of a clock crosses a multiple of step.
bool CrossesStep(double before, double after, double step);

// The machine warning: 6 low energy, 3 armour gone with a damaged part (hull above 0.25, reactor
// above 0.25, engine above 0.5), else -1.
int32_t MachineWarning(
    float energyLevel, float armourLevel, float hullWear, float reactorWear, float engineWear);
// The indicator with the zone state over it (3 shown as 4); -1 leaves it.
int32_t WithZoneState(int32_t indicator, int32_t zoneState);

// One hostile group at squared distance distanceSq from the player: a strong threat close by
// while the player is being hit starts a fight; any hostile group near keeps the music from calm.
void WeighGroup(float distanceSq, float threat, bool recentlyHit, bool& fight, bool& calm);

// What the situation gives the music choice; tracks are music-table indices, -1 none.
struct SMusicSituation {
    bool destroyed = false;
    bool fight = false;
    bool calm = true;
    int32_t zoneState = -1;
    bool nearTower = false;
    int32_t current = -1; // the playing track, -1 when nothing plays
    int32_t deathTrack = -1;
    int32_t specialTrack = -1;
    int32_t towerTrack = -1;
    int32_t mainTrack = -1;
    const int32_t* battle = nullptr;
    uint32_t battleCount = 0;
    const int32_t* calmTracks = nullptr;
    uint32_t calmCount = 0;
    bool alternate = false;
};

struct SMusicChoice {
    bool play = false;
    int32_t track = -1;
    bool loop = false;
    bool flipAlternate = false;
};

bool IsOneOf(int32_t track, const int32_t* tracks, uint32_t count);
// The track to start, if any; random picks step random.
SMusicChoice ChooseMusic(const SMusicSituation& situation, XRandom& random);

} // namespace framemath
