// Stand-in until the application globals land: the player's own world object and position, the configured
// view range that the network client reads, the difficulty, the player's control state and the hit indicators
// of the player's machine.
#pragma once

#include "foundation/Vector.h"

#include <cstddef>
#include <cstdint>

class CZJObject;

// The player's own world object; the free camera modes put the camera here.
extern CZJObject* PlayerObject;
// The position of the player's machine, kept by the game flow; machine groups measure from it.
extern Vec3 PlayerPosition;
class CCamera;
// The view's camera: it runs and steps only through this pointer.
extern CCamera* CameraObject;
// The time step the camera was last moved by.
extern float CameraTimeStep;
// The level of the anomaly zone the player's glider is in; -1 none (reset every frame).
extern int32_t AnomalyLevel;
// cfg.ini [CONFIG] view range; the network client sends it x 10.
extern int32_t VisibleRadius;

// The start menu's difficulty: 0, 1 or 2.
extern int32_t Difficulty;

// The player's control state, kept in save games; byte 0 is the booster switch, byte 9 the
// anti-rocket system's switch (homing missiles skip the player while it is on and fitted). The
// bytes between belong to switches not built yet.
struct SPlayerControl {
    uint8_t BoostOn;
    uint8_t unbuilt[8];
    uint8_t AntirocketOn;
};
static_assert(offsetof(SPlayerControl, AntirocketOn) == 9);
extern SPlayerControl PlayerControl;

// Raised by the player's machine when it is hit, decayed by its per-frame step.
extern float ShieldHits;
extern float ArmourHits;
extern float HullHits;

class CTheThing;
// The glider's game-flow flags, until the game flow owns them: the player's night light, the
// situation state (1: the player's glider is in deadly water), the replay recorder's mode (4 compact),
// cfg.ini GliderAnimation, and the core thrown out when the player's glider died.
extern uint8_t NightLight;
extern int32_t SituationState;
extern int32_t ReplayMode;
extern uint8_t GliderAnimation;
extern CTheThing* PlayerCore;
