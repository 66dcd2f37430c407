// The ground height of a map at a world point, as the game's terrain answers it: the grid
// square's triangle, water points of a block with a surface record lifted to its level + 3.
#pragma once

#include "tools/map/map_writer.h"

namespace zoq::tools::map {

// 0 off the map, as the game answers there.
float GroundHeight(const LocationMap& map, float x, float y);

} // namespace zoq::tools::map
