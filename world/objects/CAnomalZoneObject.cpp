#include "world/objects/CAnomalZoneObject.h"

#include "foundation/CallTrace.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/objects/PlacedInit.h"

CAnomalZoneObject::CAnomalZoneObject()
{
    type = kAnomalZone;
    alive = 1;
    visible = 1;
}

void CAnomalZoneObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CAnomalZoneObject::Init");
    typeKey = typeId;
    PlaceWithRow(*this, placement, g_AnomalZoneManager, typeId);
}
