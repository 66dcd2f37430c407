#include "tools/map/map_ground.h"

#include <algorithm>

namespace zoq::tools::map {

float GroundHeight(const LocationMap& map, float x, float y)
{
    const float fx = x / kStep;
    const float fy = y / kStep;
    const int gx = int(fx);
    const int gy = int(fy);
    if (gx < 0 || gy < 0 || gx >= map.width - 1 || gy >= map.height - 1)
        return 0.0f;
    const float u = fx - float(gx);
    const float v = fy - float(gy);
    const float h00 = map.heights[map.PointIndex(gx, gy)];
    const float h10 = map.heights[map.PointIndex(gx + 1, gy)];
    const float h01 = map.heights[map.PointIndex(gx, gy + 1)];
    const float h11 = map.heights[map.PointIndex(gx + 1, gy + 1)];
    float h;
    if (((gx + gy) & 1) == 0)
        h = u < v ? h00 + (h01 - h00) * (v - u) + (h11 - h00) * u
                  : h00 + (h10 - h00) * (u - v) + (h11 - h00) * v;
    else
        h = u + v > 1.0f ? h11 + (h01 - h11) * (1.0f - u) + (h10 - h11) * (1.0f - v)
                         : h00 + (h10 - h00) * u + (h01 - h00) * v;
    const size_t block = size_t(gy / kBlockSteps) * size_t(map.BlocksX()) + size_t(gx / kBlockSteps);
    const int32_t surface = block < map.blockSurfaces.size() ? map.blockSurfaces[block] : -1;
    if (surface < 0 || size_t(surface) >= map.surfaces.size() || !map.water[map.PointIndex(gx & ~1, gy & ~1)])
        return h;
    return std::max(h, map.surfaces[size_t(surface)].level + 3.0f);
}

} // namespace zoq::tools::map
