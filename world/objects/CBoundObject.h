// Stand-in until the world-object classes land: a boundary post (type code 23) with up to three
// links to other posts. The boundary reader stores the linked ids, then turns them into objects;
// UpdateBounds only counts its calls.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

#include <cstdio>

class CBoundObject : public CZJObject {
public:
    static constexpr int kMaxLinks = 3;

    using CZJObject::Init;
    CBoundObject()
    {
        type = 23;
        alive = 1;
        hitByRays = 1;
        solid = 0;
        visible = 1;
        customCollision = 1;
    }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
        if (propertyText)
            std::snprintf(name, sizeof name, "%s", propertyText);
    }
    void UpdateBounds() { ++boundsUpdates; }

    uint32_t linkIds[kMaxLinks] = {};
    CBoundObject* links[kMaxLinks] = {};
    int32_t linkCount = 0;
    int boundsUpdates = 0;

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
