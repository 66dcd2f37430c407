// Stand-in until the environment lands.
#include "world/terrain/CEnvironment.h"

CEnvironment Environment;
