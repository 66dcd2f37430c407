// Stand-in until the world-object classes land: a gun tower (type code 22); Init takes the placement
// into the frame and keeps the type id (the property text into name); Alert only records the target
// and the timer.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

#include <cstdio>

class CTowerObject : public CZJObject {
public:
    using CZJObject::Init;
    CTowerObject()
    {
        type = 22;
        alive = 1;
        runs = 1;
        hitByRays = 1;
        solid = 0;
        visible = 1;
        targetable = 1;
        notifyOnDelete = 1;
    }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
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

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
