// Stand-in until the world-object classes land: a tree (type code 4). Init places it, takes its
// row and radius and sets the collision flags from the radius; the swaying draw is not built.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

class CTreeObject : public CZJObject {
public:
    using CZJObject::Init;
    CTreeObject();
    // An id the tree table lacks throws.
    void Init(const float* placement, NameKey32 typeId);

    NameKey32 typeKey {};
};
