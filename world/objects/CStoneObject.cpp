#include "world/objects/CStoneObject.h"

#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "world/db/CStoneManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/objects/StandInInit.h"

namespace {

constexpr float kSolidBelow = 2.0f;

} // namespace

CStoneObject::CStoneObject()
{
    type = 3;
    alive = 1;
    visible = 1;
    hitByRays = 1;
    solid = 1;
    runs = 0;
    moves = 0;
    effectInView = 0;
}

void CStoneObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CStoneObject::Init");
    TakePlacement(*this, placement);
    typeKey = typeId;
    if (g_StoneManager.FindRow(typeId.text) < 0)
        throw XRangeError();
    TakeTypeRow(*this, g_StoneManager, typeId);
    solid = radius < kSolidBelow;
    instancePending = 0;
}
