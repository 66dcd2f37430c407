// The hover command of zoq-world, on a location already loaded: an object with the camera's
// coefficients stepped by the physics from a start point.
#pragma once

#include "foundation/Vector.h"

#include <stdexcept>

namespace zoq::tools::world {

// Sizes the location's cell buffers for a hover (the map is forgotten): call before the load.
void PrepareHover();
// Loads the cell under the start at full resolution and steps the object at 1/60 s for seconds,
// printing a line every 0.5 s and finally whether it settled (speed under 0.01 through the last
// second). Throws std::runtime_error when the start lies outside the map.
void PrintHover(const Vec3& start, float seconds);

} // namespace zoq::tools::world
