#include "world/objects/CZJAppEvent.h"

CZJAppEvent* AppEvents = nullptr;
