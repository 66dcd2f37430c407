// Stand-in until the world-object classes land: a lantern (type code 13); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CLampObject : public CZJObject {
public:
    using CZJObject::Init;
    CLampObject()
    {
        type = 13;
        alive = 1;
        hitByRays = 1;
        solid = 1;
        visible = 1;
        effectInView = 1;
        effectWhenHidden = 1;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
