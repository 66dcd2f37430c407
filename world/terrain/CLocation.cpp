// Stand-in until the terrain lands.
#include "world/terrain/CLocation.h"

CLocation Location;
