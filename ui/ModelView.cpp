#include "ui/ModelView.h"

#include <cmath>
#include <numbers>

namespace {

Vec3 Normalised(const Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vec3 { v.x / length, v.y / length, v.z / length } : Vec3 { 0.0f, 0.0f, -1.0f };
}

} // namespace

SModelView ModelViewAt(const Vec3& boxMin, const Vec3& boxMax, float radius, double seconds)
{
    using namespace modelview;
    const float r = radius > 0.0f ? radius : 1.0f;
    const Vec3 centre { (boxMin.x + boxMax.x) * 0.5f, (boxMin.y + boxMax.y) * 0.5f,
        (boxMin.z + boxMax.z) * 0.5f };
    const double turns = std::fmod(seconds / double(kTurnSeconds), 1.0);
    const float angle = float(2.0 * std::numbers::pi * turns);
    const float flat = kDistance * r * std::cos(kElevation);
    const Vec3 eye { centre.x + flat * std::cos(angle), centre.y + flat * std::sin(angle),
        centre.z + kDistance * r * std::sin(kElevation) };
    // Over the right shoulder: the light's source is the camera turned a little behind and high above.
    const Vec3 source { centre.x + flat * std::cos(angle - 0.5f), centre.y + flat * std::sin(angle - 0.5f),
        centre.z + 2.0f * kDistance * r };
    return { centre, eye, Vec3 { 0.0f, 0.0f, 1.0f },
        Normalised(Vec3 { centre.x - source.x, centre.y - source.y, centre.z - source.z }) };
}

plat::gfx::Light ModelViewLight(const SModelView& view)
{
    plat::gfx::Light light;
    light.type = plat::gfx::LightType::Directional;
    light.diffuse = { 1.0f, 1.0f, 1.0f, 1.0f };
    light.ambient = { 0.3f, 0.3f, 0.3f, 1.0f };
    light.direction = { view.lightDirection.x, view.lightDirection.y, view.lightDirection.z };
    return light;
}
