// Stand-in until the world-object classes land: a light object (type code 19); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CLightObject : public CZJObject {
public:
    using CZJObject::Init;
    CLightObject() { type = 19; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
