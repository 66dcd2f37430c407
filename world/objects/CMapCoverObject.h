// Stand-in until the world-object classes land: a map cover decal (type code 12). Init places it,
// takes its texture and the radius (20 x the placement's scale, at most 150) and the texture
// matrix; the ground mesh and its draw are not built.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

class CMapCoverObject : public CZJObject {
public:
    using CZJObject::Init;
    CMapCoverObject();
    // An id the cover table lacks throws.
    void Init(const float* placement, NameKey32 typeId);
    void SetPosition(const Vec3& position) override;

    int32_t texture = -1;
    Matrix4 textureMatrix {};
    uint8_t meshBuilt = 0;
    NameKey32 typeKey {};
};
