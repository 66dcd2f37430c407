// Stand-in until the world-object classes land: a flying observer (type code 25) that wanders the
// road network 20 above its nodes. Init, the node walk and the steering are built; the engine
// sound and the draw are not.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CDynamicObject.h"

class CFlyTehObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CFlyTehObject();
    // An id missing from the table is logged and leaves the observer without a row; the current
    // node is the nearest within 1000 (-1 none).
    void Init(const float* placement, NameKey32 typeId);
    // Without a row or a node the observer is queued for deletion.
    void Run() override;
    // The next node from the current one (see the .cpp); the previous becomes the current.
    void PickNextNode();

    int32_t currentNode = -1;
    int32_t previousNode = -1;
    int32_t engineSound = -1;
    NameKey32 typeKey {};
};
