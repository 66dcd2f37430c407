// Stand-in until the world-object classes land: a gun tower (type code 22); Init only stores its
// arguments (the property text into name); Alert only records the target and the timer.
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
    // Sets the target and a 5 s alert timer.
    void Alert(CZJObject* glider)
    {
        alertTarget = glider;
        alertTime = 5.0f;
    }

    CZJObject* alertTarget = nullptr;
    float alertTime = 0.0f;
};
