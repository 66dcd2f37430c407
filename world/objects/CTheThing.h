// Stand-in until the world-object classes land: a thing lying in the world (type code 21) with the
// one item it carries; Init only stores its arguments.
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
    // The item: kind 0 goods or projectile, 1 no-merge goods, 2 other, 3 money.
    uint32_t itemKind = 0;
    char itemName[32] = {};
    int32_t itemCount = 0;
};
