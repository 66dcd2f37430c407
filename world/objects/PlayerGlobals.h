// Stand-in until the application globals land: the player's own world object, the configured
// view range that the network client reads and the counter of the player's network ids.
#pragma once

#include <cstdint>

class CZJObject;

extern CZJObject* PlayerObject;
// cfg.ini [CONFIG] view range; the network client sends it x 10.
extern int32_t VisibleRadius;
// The last network id given to one of the player's own objects (his projectiles).
extern uint32_t NetworkIdCounter;
