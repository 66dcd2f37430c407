// CAnomalZoneObject (type code 20): the visible body of an anomaly zone, made from the "Anomal"
// table. It takes its model and radius; the zone's effect lives in the anomaly-zone points.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

class CAnomalZoneObject : public CZJObject {
public:
    using CZJObject::Init;
    CAnomalZoneObject();
    // Places the zone and takes its row and radius; an unknown id throws XRangeError.
    void Init(const float* placement, NameKey32 typeId);

    NameKey32 typeKey {};
};
