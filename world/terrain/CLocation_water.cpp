// The water surface under a point, asked every frame by the glider.
#include "world/terrain/CLocation.h"

const MapSurface* CLocation::GetWaterSurface(const Vec3& point)
{
    const int gx = int(point.x * 0.1f + 0.5f);
    const int gy = int(point.y * 0.1f + 0.5f);
    if (gx < 0 || gx >= width - 1 || gy < 0 || gy >= height - 1)
        return nullptr;
    const int column = gx >> 6;
    const int row = gy >> 6;
    const int lx = (gx & 63) & ~1;
    const int ly = (gy & 63) & ~1;
    const SCellRecord& record = Cell(column, row);
    bool water;
    if (const MapCell* full = GetFullResCell(column, row)) {
        water = FullWater(full->Code(ly, lx));
    } else {
        // The cell's level is left as the visibility pass set it.
        if (!record.half)
            LoadCell(column, row, kFarLevel);
        water = HalfWater(GetHalfResCell(column, row)->At(ly >> 1, lx >> 1).height);
    }
    return water ? record.surface : nullptr;
}

// Stand-in until water rendering lands: the water pass and the reflection's terrain draw nothing.
void CLocation::CycleRenderWater() { }

void CLocation::RenderForWater() { }
