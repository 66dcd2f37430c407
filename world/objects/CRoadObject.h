// Stand-in until the world-object classes land: a road object (type code 8); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CRoadObject : public CZJObject {
public:
    using CZJObject::Init;
    CRoadObject() { type = 8; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
