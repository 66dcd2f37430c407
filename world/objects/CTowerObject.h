// Stand-in until the world-object classes land: a gun tower (type code 22); Init only stores its
// arguments (the property text into name).
#pragma once

#include "world/objects/CZJObject.h"

#include <cstdio>

class CTowerObject : public CZJObject {
public:
    using CZJObject::Init;
    CTowerObject() { type = 22; }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        StoreInit(placement, typeId);
        if (propertyText)
            std::snprintf(name, sizeof name, "%s", propertyText);
    }
};
