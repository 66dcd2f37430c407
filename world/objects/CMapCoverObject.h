// Stand-in until the world-object classes land: a map cover patch (type code 12); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CMapCoverObject : public CZJObject {
public:
    using CZJObject::Init;
    CMapCoverObject() { type = 12; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
