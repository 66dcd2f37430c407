// Stand-in until the world-object classes land: a projectile (type code 16); Init only stores its
// arguments, the row index from the first word of the type argument.
#pragma once

#include "world/objects/CZJObject.h"

#include <cstring>

class CMissileObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CMissileObject() { type = 16; }
    void Init(const float* placement, NameKey32 typeId)
    {
        StoreInit(placement, typeId);
        std::memcpy(&typeIndex, typeId.text, 4);
    }

    CZJObject* owner = nullptr;
    CZJObject* target = nullptr;
    uint8_t hasTarget = 0;
};
