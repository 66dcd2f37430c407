// CTreeObject (type code 4): a tree whose crown sways in the wind. A tree is hit by rays above
// radius 20 and solid below radius 30 unless its row turns collisions off. Its drawing goes
// through the effect list, where the crown's sway is the second vertex-blend matrix.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

class CTreeObject : public CZJObject {
public:
    static constexpr float kRaysAbove = 20.0f;
    static constexpr float kSolidBelow = 30.0f;

    using CZJObject::Init;
    CTreeObject();
    // Places the tree and takes its row and radius; an unknown id throws XRangeError.
    void Init(const float* placement, NameKey32 typeId);
    // Queues the tree with the effect list by its camera distance, or draws it at once.
    void Draw() override;
    // The sway matrix as the second world matrix, then the base draw.
    void DrawEffect(int argument) override;

    // The crown's angle at a game time: sin(3 / sqrt(radius) x time) x flexibility x sqrt(200) x 0.01.
    float SwayAngle(float time) const;
    // The rotation about the model's second axis by the sway angle, times the placement.
    Matrix4 SwayMatrix(float time) const;

    NameKey32 typeKey {};
};
