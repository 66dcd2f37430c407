// Stand-in until the moving object lands: the catch-up time the network client resets and the
// velocity.
#pragma once

#include "world/objects/CZJObject.h"

class CDynamicObject : public CZJObject {
public:
    float netLag = 0.0f;
    Vec3 velocity {};
};
