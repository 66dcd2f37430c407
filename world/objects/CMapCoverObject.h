// Stand-in until the world-object classes land: a map cover patch (type code 12); Init takes the placement
// into the frame and keeps the type id.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

class CMapCoverObject : public CZJObject {
public:
    using CZJObject::Init;
    CMapCoverObject()
    {
        type = 12;
        alive = 1;
        solid = 0;
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
