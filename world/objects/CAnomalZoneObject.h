// Stand-in until the world-object classes land: an anomaly zone object (type code 20); Init only stores its
// arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CAnomalZoneObject : public CZJObject {
public:
    using CZJObject::Init;
    CAnomalZoneObject() { type = 20; }
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }
};
