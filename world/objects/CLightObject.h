// CLightObject (type code 19): a point light placed in the location. The light table has one fixed
// row, so every light is white, full strength, range 100, attenuation 1 + 0.01 d and steady; a
// period other than 0 makes it pulse.
#pragma once

#include "foundation/NameKey32.h"
#include "platform/gfx/types.h"
#include "world/objects/CZJObject.h"

class CLightObject : public CZJObject {
public:
    using CZJObject::Init;
    CLightObject();
    void Init(const float* placement, NameKey32 typeId);
    // Stores the light's position and runs the base's.
    void SetPosition(const Vec3& position) override;
    // Pulses the colours when the period is not 0 and adds the light to the frame.
    void PreDraw() override;

    plat::gfx::ColorValue colour { 1.0f, 1.0f, 1.0f, 1.0f };
    float range = 100.0f;
    float ambientFactor = 1.0f;
    float diffuseFactor = 1.0f;
    float specularFactor = 1.0f;
    float attenuation = 1.0f;
    float period = 0.0f;
    plat::gfx::Light light {};
    NameKey32 typeKey {};
};
