// Stand-in until the world-object classes land: a projectile (type code 16); Init takes the placement
// into the frame and keeps the type id, the row index from the first word of the type argument.
#pragma once

#include "world/objects/CDynamicObject.h"
#include "world/objects/StandInInit.h"

#include <cstring>

class CMissileObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CMissileObject()
    {
        type = 16;
        alive = 1;
        runs = 1;
        moves = 1;
        solid = 1;
        pointSized = 1;
        visible = 1;
        collisionNotice = 1;
        netInit = 1;
        notifyOnDelete = 1;
        radius = 1.0f;
        drawDistanceFactor = 10.0f;
        mass = 0.0001f;
    }
    void Init(const float* placement, NameKey32 typeId)
    {
        TakePlacement(*this, placement);
        typeKey = typeId;
        std::memcpy(&typeIndex, typeId.text, 4);
    }

    // Read by the world database and its tests until the class lands.
    NameKey32 typeKey {};
    CZJObject* target = nullptr;
    uint8_t hasTarget = 0;
};
