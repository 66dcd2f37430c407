// Stand-in until the world-object classes land: a light object (type code 19); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CLightObject : public CZJObject {
public:
    using CZJObject::Init;
    CLightObject()
    {
        type = 19;
        alive = 1;
        effectInView = 1;
        effectWhenHidden = 1;
        radius = 10.0f;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
