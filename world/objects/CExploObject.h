// Stand-in until the world-object classes land: an explosion (type code 15); Init only stores its
// arguments, the row index from the first word of the type argument.
#pragma once

#include "world/objects/CZJObject.h"

#include <cstring>

class CExploObject : public CZJObject {
public:
    using CZJObject::Init;
    CExploObject() { type = 15; }
    void Init(const float* placement, NameKey32 typeId)
    {
        StoreInit(placement, typeId);
        std::memcpy(&typeIndex, typeId.text, 4);
    }
};
