// Stand-in until the detail mesh lands: no detail layer is drawn over the near ground.
#include "world/terrain/CLocation.h"

void CLocation::RenderDetails() { }
