#include "world/db/PlayerRemains.h"

CTheThing* PlayerRemains = nullptr;
