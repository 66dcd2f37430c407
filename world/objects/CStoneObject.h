// Stand-in until the world-object classes land: a stone (type code 3); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CDynamicObject.h"
#include "world/objects/StandInInit.h"

class CStoneObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CStoneObject()
    {
        type = 3;
        alive = 1;
        hitByRays = 1;
        solid = 1;
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
