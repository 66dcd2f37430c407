// Stand-in until the world-object classes land: an observer flyer (type code 25); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CFlyTehObject : public CZJObject {
public:
    using CZJObject::Init;
    CFlyTehObject() { type = 25; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
