// Stand-in until the object list's events land.
#include "world/objects/CZJAppEvent.h"

CZJAppEvent* AppEvents = nullptr;
