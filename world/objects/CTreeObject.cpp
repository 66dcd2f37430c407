#include "world/objects/CTreeObject.h"

#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "world/db/CTreeManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/objects/StandInInit.h"

namespace {

constexpr float kRaysAbove = 20.0f;
constexpr float kSolidBelow = 30.0f;

} // namespace

CTreeObject::CTreeObject()
{
    type = 4;
    alive = 1;
    visible = 1;
    solid = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
}

void CTreeObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CTreeObject::Init");
    TakePlacement(*this, placement);
    typeKey = typeId;
    if (g_TreeManager.FindRow(typeId.text) < 0)
        throw XRangeError();
    TakeTypeRow(*this, g_TreeManager, typeId);
    if (!static_cast<const STreeType*>(typeRecord)->noSolid) {
        hitByRays = radius > kRaysAbove;
        solid = radius < kSolidBelow;
    }
}
