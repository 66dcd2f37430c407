// Stand-in until the world-object classes land: a stone (type code 3); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CStoneObject : public CZJObject {
public:
    using CZJObject::Init;
    CStoneObject() { type = 3; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
