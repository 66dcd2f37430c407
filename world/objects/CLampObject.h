// CLampObject (type code 13): a lantern that lights up when the hour grows dark. Its darkness
// compares the lowest bytes of the environment's ambient and sun colours with the row's
// threshold; a lit lantern adds a flickering point light to the frame, lays a pool of light on
// the ground and, when bright, shows a halo at the model's FX point. Near the camera it shows its
// lit morph; beyond 1000 it stays dark.
#pragma once

#include "foundation/NameKey32.h"
#include "platform/gfx/types.h"
#include "render/CVertexData.h"
#include "world/objects/CZJObject.h"

struct SLanternType;

class CLampObject : public CZJObject {
public:
    static constexpr float kSolidBelow = 20.0f;
    static constexpr float kDarkBeyond = 1000.0f;
    static constexpr float kPoolReach = 20.0f; // half the side of the ground square lit by the pool
    static constexpr float kPoolBelow = 50.0f; // lanterns this large lay no pool
    static constexpr uint32_t kPoolFormat = 0x242; // position, diffuse, two texture sets
    static constexpr uint32_t kPoolVertices = 300;
    static constexpr uint32_t kPoolIndices = 1200;

    using CZJObject::Init;
    CLampObject();
    ~CLampObject() override;
    // Places the lantern and takes its row and radius (an unknown id throws XRangeError), its
    // collision flags and its light: a point light radius above the lantern, of the row's range.
    void Init(const float* placement, NameKey32 typeId);
    // The levels of the frame from the hour's darkness and the camera distance; a lit lantern adds
    // its light.
    void PreDraw() override;
    // The ground pool while lit, the model with its lit morph, and the halo while bright.
    void Draw() override;
    // The halo: a camera-facing quad of the row's glow texture at the FX point.
    void DrawEffect(int argument) override;

    const SLanternType* Row() const;
    // The darkness of an hour whose ambient and sun colours are given, for a row's threshold:
    // (ambient's low byte / 256 + sun's low byte / 128) - (2 x limit + 1); dark below 0.
    static float Darkness(uint32_t ambient, uint32_t sunColour, float limit);
    // Where the halo sits: the FX point of the model, else 0.8 x radius above the centre.
    Vec3 HaloPoint();

    plat::gfx::Light light {};
    float lightLevel = 0.0f;
    float glowLevel = 0.0f;
    float morphLevel = 0.0f;
    float intensity = 0.0f;
    float range = 0.0f; // of the light, from the row
    CVertexData poolMesh;
    uint8_t poolBuilt = 0;
    NameKey32 typeKey {};
};
