// Stand-in until the dynamic lights land.
#include "world/terrain/CLightWare.h"

CLightWare LightWare;
