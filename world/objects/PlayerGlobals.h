// Stand-in until the application globals land: the player's own world object and the
// configured view range that the network client reads.
#pragma once

#include <cstdint>

class CZJObject;

extern CZJObject* PlayerObject;
// cfg.ini [CONFIG] view range; the network client sends it x 10.
extern int32_t VisibleRadius;
