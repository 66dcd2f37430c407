// The terrain renderers' switches; nothing in the game changes them.
#pragma once

#include <cstdint>

extern uint8_t DetailsSwitch; // detail layers and detail objects, on
extern uint8_t ModelLevelSwitch; // detail objects draw their level's parts only, on
extern uint8_t DetailQualitySwitch; // the finer of the two detail-mesh simplifications, on
