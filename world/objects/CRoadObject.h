// Stand-in until the world-object classes land: a road object (type code 8); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CRoadObject : public CZJObject {
public:
    using CZJObject::Init;
    CRoadObject()
    {
        type = 8;
        alive = 1;
        visible = 1;
        notifyOnDelete = 1;
        deferredDelete = 1;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
