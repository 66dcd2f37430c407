#include "world/objects/PlayerGlobals.h"

CGliderObject* PlayerGlider = nullptr;
CZJObject* PlayerObject = nullptr;
Vec3 PlayerPosition {};
CCamera* CameraObject = nullptr;
CTrajectoryObject* TrajectoryMarker = nullptr;
float CameraTimeStep = 0.0f;
int32_t AnomalyLevel = -1;
int32_t VisibleRadius = 256;
int32_t Difficulty = 1;
SPlayerControl PlayerControl {};
float ShieldHits = 0.0f;
float ArmourHits = 0.0f;
float HullHits = 0.0f;
int32_t TransitionState = 0;
float TransitionTimer = 0.0f;
int32_t SituationState = 0;
int32_t ReplayMode = 0;
uint8_t GliderAnimation = 1;
CTheThing* PlayerCore = nullptr;
