// Stand-in until the world-object classes land: an explosion (type code 15); Init takes the placement
// into the frame and keeps the type id, the row index from the first word of the type argument.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

#include <cstring>

class CExploObject : public CZJObject {
public:
    using CZJObject::Init;
    CExploObject()
    {
        type = 15;
        alive = 1;
        runs = 1;
        visible = 1;
        notifyOnDelete = 1;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
        std::memcpy(&typeIndex, typeId.text, 4);
    }

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
