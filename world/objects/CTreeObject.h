// Stand-in until the world-object classes land: a tree (type code 4); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CTreeObject : public CZJObject {
public:
    using CZJObject::Init;
    CTreeObject()
    {
        type = 4;
        alive = 1;
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
