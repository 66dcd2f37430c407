// Stand-in until the world-object classes land: a building (type code 11); Init takes the placement
// into the frame and keeps the type id (the property text into name). Its group queue takes fewer
// than 20 groups; its step packs an arriving group at once (materialised or not) and lets a packed
// group out at the door.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/StandInInit.h"

#include <cstdio>
#include <deque>

class CFerroGroup;

class CBuildingObject : public CZJObject {
public:
    static constexpr size_t kMaxGroups = 20;

    using CZJObject::Init;
    CBuildingObject()
    {
        type = 11;
        alive = 1;
        runs = 1;
        hitByRays = 1;
        solid = 0;
        visible = 1;
    }
    void Init(const float* placement, NameKey32 typeId, const char* propertyText)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
        if (propertyText)
            std::snprintf(name, sizeof name, "%s", propertyText);
    }

    // Queues the group while fewer than kMaxGroups are queued and makes it inactive; false when
    // full. The first call finds the road node named like the building.
    bool AddGroup(CFerroGroup* group);
    // Works the queue's first group.
    void TrackGliders();

    int32_t pointIndex = -1; // the road node named like the building
    uint8_t runFlag = 1;
    std::deque<CFerroGroup*> groups;

    // Read by the world-database tests until the class lands.
    NameKey32 typeKey {};
};
