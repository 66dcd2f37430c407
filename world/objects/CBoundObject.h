// Stand-in until the world-object classes land: a boundary post (type code 23) with up to three
// links to other posts. The boundary reader stores the linked ids, then turns them into objects;
// UpdateBounds only counts its calls.
#pragma once

#include "world/objects/CZJObject.h"

#include <cstdio>

class CBoundObject : public CZJObject {
public:
    static constexpr int kMaxLinks = 3;

    using CZJObject::Init;
    CBoundObject() { type = 23; }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        StoreInit(placement, typeId);
        if (propertyText)
            std::snprintf(name, sizeof name, "%s", propertyText);
    }
    void UpdateBounds() { ++boundsUpdates; }

    uint32_t linkIds[kMaxLinks] = {};
    CBoundObject* links[kMaxLinks] = {};
    int32_t linkCount = 0;
    int boundsUpdates = 0;
};
