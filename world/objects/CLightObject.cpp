#include "world/objects/CLightObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "world/db/LightManager.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CLightWare.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kMinRange = 10.0f;

plat::gfx::ColorValue Scaled(const plat::gfx::ColorValue& c, float f)
{
    return { c.r * f, c.g * f, c.b * f, c.a };
}

} // namespace

CLightObject::CLightObject()
{
    type = 19;
    alive = 1;
    effectInView = 1;
    effectWhenHidden = 1;
    radius = 10.0f;
}

void CLightObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CLightObject::Init");
    TakePlacement(*this, placement);
    typeKey = typeId;
    // An id the table lacks takes the default row, which is the table's one row.
    typeIndex = std::max(g_LightManager.FindRow(typeId.text), 0);
    typeRecord = g_LightManager.GetDescData(typeIndex);
    light = plat::gfx::Light {};
    light.type = plat::gfx::LightType::Point;
    light.ambient = Scaled(colour, ambientFactor * 0.4f);
    light.specular = Scaled(colour, specularFactor);
    light.diffuse = Scaled(colour, diffuseFactor);
    light.range = std::max(range, kMinRange);
    light.attenuation0 = 1.0f;
    light.attenuation1 = attenuation * 0.01f;
    light.position = { frame.position.x, frame.position.y, frame.position.z };
}

void CLightObject::SetPosition(const Vec3& position)
{
    light.position = { position.x, position.y, position.z };
    CZJObject::SetPosition(position);
}

void CLightObject::PreDraw()
{
    if (period != 0.0f) {
        const float pulse
            = (std::sin(2.0f * std::numbers::pi_v<float> * GameClockF32 / period) + 2.0f) * 0.5f;
        light.ambient = Scaled(colour, ambientFactor * 0.4f * pulse);
        light.specular = Scaled(colour, specularFactor * pulse);
        light.diffuse = Scaled(colour, diffuseFactor * pulse);
    }
    LightWare.AddLight(light, 1.0f);
}
