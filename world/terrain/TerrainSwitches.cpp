#include "world/terrain/TerrainSwitches.h"

uint8_t DetailsOn = 1;
uint8_t ModelLevelOn = 1;
uint8_t DetailQualityOn = 1;
uint8_t StripsOn = 0;
