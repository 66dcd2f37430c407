// Stand-in until the world-object classes land.
#include "world/objects/PlayerGlobals.h"

CZJObject* PlayerObject = nullptr;
int32_t VisibleRadius = 256;
uint32_t NetworkIdCounter = 0;
