// Stand-in until the world-object classes land: a thing lying in the world (type code 21); Init
// only stores its arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CTheThing : public CZJObject {
public:
    using CZJObject::Init;
    CTheThing() { type = 21; }
    void Init(const float* placement, int32_t thingKind)
    {
        StoreInit(placement, NameKey32 {});
        kind = thingKind;
    }

    int32_t kind = 0; // 257 for a thing made from a network record
};
