// Stand-in until the world-object classes land: a thing lying in the world (type code 21) with the
// one item it carries; Init takes the placement into the frame and keeps the kind. onGround
// cleared means taken. It holds up to 10 content items.
#pragma once

#include "world/objects/CZJObject.h"
#include "world/objects/SThingItem.h"
#include "world/objects/StandInInit.h"

#include <cstdio>

class CTheThing : public CZJObject {
public:
    using CZJObject::Init;
    CTheThing()
    {
        type = 21;
        alive = 1;
        runs = 1;
        visible = 1;
        netInit = 1;
        deferredDelete = 1;
        drawDistanceFactor = 3.0f;
    }
    void Init(const float* placement, int32_t thingKind)
    {
        TakePlacement(*this, placement);
        kind = thingKind;
    }

    // Read by the world-database tests until the class lands.
    int32_t kind = 0; // 257 for a thing made from a network record
    // The item: kind 0 goods or projectile, 1 no-merge goods, 2 other, 3 money.
    uint32_t itemKind = 0;
    char itemName[32] = {};
    int32_t itemCount = 0;
    uint8_t onGround = 1;

    static constexpr int kMaxContents = 10;
    // Appends a content item; nothing when all 10 are used.
    void AddItem(uint32_t itemKind, const char* id, uint32_t amount)
    {
        if (contentCount >= kMaxContents)
            return;
        SThingItem& item = contents[contentCount++];
        item.kind = itemKind;
        std::snprintf(item.id, sizeof item.id, "%s", id);
        item.amount = amount;
    }
    SThingItem contents[kMaxContents] = {};
    int32_t contentCount = 0;
};
