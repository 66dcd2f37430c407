// CLightObject (type code 19): a point light placed in the location. The light table has one fixed
// row that holds no light values, so every light is white, factors 1, range 100, attenuation
// 1 + 0.01 d and steady (period 0); a period other than 0 makes its colours pulse.
#pragma once

#include "foundation/NameKey32.h"
#include "platform/gfx/types.h"
#include "world/objects/CZJObject.h"

class CLightObject : public CZJObject {
public:
    using CZJObject::Init;
    CLightObject();
    // Places the light on its row (the default row for an unknown id) and builds the point light:
    // ambient colour x ambient factor x 0.4, diffuse and specular by their factors, range at
    // least 10, attenuation 1 and attenuation x 0.01.
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
