// Stand-in until the world-object classes land: an observer flyer (type code 25); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CDynamicObject.h"
#include "world/objects/StandInInit.h"

class CFlyTehObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CFlyTehObject()
    {
        type = 25;
        alive = 1;
        runs = 1;
        moves = 1;
        hitByRays = 1;
        solid = 1;
        visible = 1;
        drawDistanceFactor = 5.0f;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
