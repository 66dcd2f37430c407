// Stand-in until the world-object classes land: a stone (type code 3). Init places it, takes its
// row and radius, and only a stone of radius below 2 is solid; the model instance and its effects
// are not built.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CDynamicObject.h"

class CStoneObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CStoneObject();
    // An id the stone table lacks throws.
    void Init(const float* placement, NameKey32 typeId);

    uint8_t instancePending = 0;
    NameKey32 typeKey {};
};
