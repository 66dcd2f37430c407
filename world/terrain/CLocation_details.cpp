// Stand-in until the detail objects land: nothing is strewn over the ground.
#include "world/terrain/CLocation.h"

void CLocation::RenderDetailObjects() { }

void CLocation::DrawDetailObject(int k)
{
    (void)k;
}
