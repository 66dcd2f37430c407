// Stand-in until the world-object classes land: a tree (type code 4); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CTreeObject : public CZJObject {
public:
    using CZJObject::Init;
    CTreeObject() { type = 4; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
