// Stand-in until the world-object classes land: an anomaly-zone point; the constructor only keeps
// the type id besides what the helper point stores.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CHelperPoint.h"

class CAnomalZonePoint : public CHelperPoint {
public:
    CAnomalZonePoint(NameKey32 typeId, const float* placement, const char* propertyText)
        : CHelperPoint(placement, propertyText, 0)
        , typeKey(typeId)
    {
    }

    NameKey32 typeKey;
};
