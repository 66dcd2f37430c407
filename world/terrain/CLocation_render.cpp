// Stand-in until the terrain rendering lands: the cell, water and detail-object renderers draw
// nothing.
#include "world/terrain/CLocation.h"

void CLocation::Render()
{
    CycleRender();
}

void CLocation::CycleRender() { }

void CLocation::RenderForWater() { }
