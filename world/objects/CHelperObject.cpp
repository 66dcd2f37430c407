#include "world/objects/CHelperObject.h"

#include "foundation/CallTrace.h"
#include "world/db/CHelperManager.h"
#include "world/objects/PlacedInit.h"

CHelperObject::CHelperObject()
{
    type = kHelper;
    alive = 1;
    visible = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
    effectInView = 0;
}

void CHelperObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CHelperObject::Init");
    typeKey = typeId;
    PlaceWithRow(*this, placement, g_HelperManager, typeId);
}
