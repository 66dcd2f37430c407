// CMapCoverObject (type code 12): a texture decal laid on the terrain. Its ground mesh follows the
// terrain within its radius (20 x the placement's scale, at most 150) and is built on the first
// draw that finds the ground loaded; the texture matrix turns the cover's square onto the
// texture by the placement's heading. A cover is lit (kind 0) or glows, pulsing with its period.
#pragma once

#include "foundation/NameKey32.h"
#include "render/CVertexData.h"
#include "world/objects/CZJObject.h"

class CMapCoverObject : public CZJObject {
public:
    static constexpr float kUnitRadius = 20.0f;
    static constexpr float kMaxRadius = 150.0f;
    static constexpr uint32_t kMeshFormat = 0x242; // position, diffuse, two texture sets
    static constexpr uint32_t kMeshVertices = 2000;
    static constexpr uint32_t kMeshIndices = 6000;

    using CZJObject::Init;
    CMapCoverObject();
    // Places the cover and takes its texture, radius and texture matrix; an unknown id throws
    // XRangeError.
    void Init(const float* placement, NameKey32 typeId);
    // Moves the cover; the ground mesh is built again at the next draw.
    void SetPosition(const Vec3& position) override;
    void Draw() override;

    // The glow of a kind-1 cover at a game time: 1 without a period, else
    // sin(id + time x pi / period) x 0.25 + 0.75.
    float GlowIntensity(float time) const;

    int32_t texture = -1;
    Matrix4 textureMatrix {};
    CVertexData groundMesh;
    uint8_t meshBuilt = 0;
    NameKey32 typeKey {};
};
