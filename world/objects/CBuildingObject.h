// Stand-in until the world-object classes land: a building (type code 11); Init only stores its
// arguments (the property text into name).
#pragma once

#include "world/objects/CZJObject.h"

#include <cstdio>

class CBuildingObject : public CZJObject {
public:
    using CZJObject::Init;
    CBuildingObject() { type = 11; }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        StoreInit(placement, typeId);
        if (propertyText)
            std::snprintf(name, sizeof name, "%s", propertyText);
    }
};
