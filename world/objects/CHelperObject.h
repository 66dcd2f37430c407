// CHelperObject (type code 7): a helper marker made from the helper table. It takes its row and
// radius and otherwise draws and behaves like the base object.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

class CHelperObject : public CZJObject {
public:
    using CZJObject::Init;
    CHelperObject();
    // Places the marker and takes its row and radius; an unknown id throws XRangeError.
    void Init(const float* placement, NameKey32 typeId);

    NameKey32 typeKey {};
};
