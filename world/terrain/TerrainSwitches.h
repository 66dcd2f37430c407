// The terrain renderers' global switches. The defaults hold for the whole run: nothing in the game
// changes them (tests and tools may).
#pragma once

#include <cstdint>

extern uint8_t DetailsOn; // detail mesh and detail objects
extern uint8_t ModelLevelOn; // detail objects draw by their level-group masks
extern uint8_t DetailQualityOn;
extern uint8_t StripsOn; // strips are not built: the cells always draw as lists
