// CFlyTehObject (type code 25): a flying observer that wanders the road network 20 above its nodes.
// Near the camera (within 1000) it flies by the physics with its engine sound on; far away it is
// carried straight to its target. An observer without a row or a node ends at its next Run.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CDynamicObject.h"

class CFlyTehObject : public CDynamicObject {
public:
    using CZJObject::Init;
    static constexpr float kModelScale = 4.0f;

    CFlyTehObject();
    // Stops the engine sound.
    ~CFlyTehObject() override;
    // An id missing from the table is logged and leaves the observer without a row; the current
    // node is the nearest within 1000 (-1 none).
    void Init(const float* placement, NameKey32 typeId);
    // Without a row or a node the observer is queued for deletion.
    void Run() override;
    // The model four times its size in the model's axes, lit by the ground under it.
    void Draw() override;
    // The next node from the current one (see the .cpp); the previous becomes the current.
    void PickNextNode();

    int32_t currentNode = -1;
    int32_t previousNode = -1;
    int32_t engineSound = -1; // the looping sound control, -1 none
    NameKey32 typeKey {};

private:
    void RunEngineSound(bool near);
};
