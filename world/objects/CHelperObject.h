// Stand-in until the world-object classes land: a helper object (type code 7); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CHelperObject : public CZJObject {
public:
    using CZJObject::Init;
    CHelperObject() { type = 7; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
