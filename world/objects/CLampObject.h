// Stand-in until the world-object classes land: a lantern (type code 13); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CLampObject : public CZJObject {
public:
    using CZJObject::Init;
    CLampObject() { type = 13; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
