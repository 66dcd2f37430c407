// CBoundObject (type code 23): a post of the location's boundary, linked to up to three posts. A
// translucent wall band runs from the post to the midpoint with each neighbour; objects within 50
// of a band are pushed back and damped, gliders take damage.
#pragma once

#include "foundation/NameKey32.h"
#include "render/CVertexData.h"
#include "world/objects/CZJObject.h"

class CBoundObject : public CZJObject {
public:
    static constexpr int kMaxLinks = 3;

    struct SSegment {
        Vec3 start; // height 0
        Vec3 end; // height 0
        Vec3 direction; // unit
        Vec3 normal; // (dy, -dx, 0)
        float length; // horizontal
    };

    using CZJObject::Init;
    CBoundObject();

    // Places the post and takes its "Boundary" row; an unknown id throws.
    void Init(const float* placement, NameKey32 typeId, const char* propertyText);
    // Rebuilds reach, radius, the wall mesh and the segments from the links.
    void UpdateBounds();
    void SetPosition(const Vec3& position) override;
    void Draw() override;
    void DrawEffect(int argument) override;
    void ProcessDelete(CZJObject* deleted) override;
    void CustomCollision(CZJObject* mover, float dt) override;

    float reach = 0.0f;
    CVertexData wall;
    uint32_t linkIds[kMaxLinks] = {}; // as read from the objects file, until linked
    CBoundObject* links[kMaxLinks] = {};
    int32_t linkCount = 0;
    SSegment segments[kMaxLinks] = {};
    int32_t segmentCount = 0;
    NameKey32 typeKey {};
};
