// The application globals the game folders read: the player's glider, object and position, the
// camera, the bomb-trajectory marker, the view range, the difficulty, the player's control state,
// the hit indicators, the transition veil and the glider's game-flow flags. Each says who writes
// it.
#pragma once

#include "foundation/Vector.h"

#include <cstddef>
#include <cstdint>

class CCamera;
class CGliderObject;
class CTheThing;
class CTrajectoryObject;
class CZJObject;

// The glider the player drives; set by the game flow when it creates it, never the camera.
extern CGliderObject* PlayerGlider;
// The player's own world object; the free camera modes put the camera here.
extern CZJObject* PlayerObject;
// The position of the player's glider, copied by the game flow at each frame start and at
// placement; machine groups measure from it.
extern Vec3 PlayerPosition;
// The view's camera, made by the game flow: it runs and steps only through this pointer.
extern CCamera* CameraObject;
// The bomb-trajectory marker, made by the game flow with the player's glider.
extern CTrajectoryObject* TrajectoryMarker;
// The time step the camera was last moved by.
extern float CameraTimeStep;
// The level of the anomaly zone the player's glider is in; -1 none (reset every frame and when
// the glider is placed).
extern int32_t AnomalyLevel;
// cfg.ini [CONFIG] view range; the network client sends it x 10.
extern int32_t VisibleRadius;

// The difficulty: 0, 1 or 2; the start menu writes it (with the script manager's), a network
// game sets 1, a loaded game copies the script manager's.
extern int32_t Difficulty;

// The player's control state, kept in save games: written by the player's input, the situation
// analysis (near tower) and the save reader.
struct SPlayerControl {
    uint8_t BoostOn;
    uint8_t AlwaysRun;
    uint8_t Cruise;
    uint8_t NightLight; // the glider adds its headlights while set
    uint32_t StasisMode; // 0 off, 1 rising, 2 held, 3 falling
    uint8_t Invisibility;
    uint8_t AntirocketOn; // homing missiles skip the player while on and fitted
    uint8_t Analyzer; // the info display
    uint8_t NearTower;
    float StasisCountdown; // seconds
    uint8_t reserved1[8];
    float GliderValue;
    uint8_t reserved2[4];
};
static_assert(sizeof(SPlayerControl) == 32);
static_assert(offsetof(SPlayerControl, StasisMode) == 4);
static_assert(offsetof(SPlayerControl, AntirocketOn) == 9);
static_assert(offsetof(SPlayerControl, StasisCountdown) == 12);
static_assert(offsetof(SPlayerControl, GliderValue) == 24);
extern SPlayerControl PlayerControl;

// Raised by the player's machine when it is hit, decayed by its per-frame step; the game flow
// clears them when the glider is placed.
extern float ShieldHits;
extern float ArmourHits;
extern float HullHits;

// The transition veil's state (0 none, 1 and 3 the two directions) and its timer in seconds.
// No game-flow step sets them: they stay 0.
extern int32_t TransitionState;
extern float TransitionTimer;

// The glider's game-flow flags: the situation state (1: the player's glider is in deadly water;
// set by the glider), the replay recorder's mode (4 compact), cfg.ini GliderAnimation, and the core
// thrown out when the player's glider died (set by the glider).
extern int32_t SituationState;
extern int32_t ReplayMode;
extern uint8_t GliderAnimation;
extern CTheThing* PlayerCore;
