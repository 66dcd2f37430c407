// Stand-in until the world-object classes land: an anomaly zone object (type code 20); Init takes the
// placement into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CAnomalZoneObject : public CZJObject {
public:
    using CZJObject::Init;
    CAnomalZoneObject()
    {
        type = 20;
        alive = 1;
        visible = 1;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
