#include "platform/gfx/lighting.h"

#include <algorithm>
#include <cmath>

namespace plat::gfx {
namespace {

Vector3 TransformPoint(const Vector3& v, const Matrix& m)
{
    float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
    float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
    float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
    float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
    if (w != 0 && w != 1)
        return { x / w, y / w, z / w };
    return { x, y, z };
}

Vector3 TransformDirection(const Vector3& v, const Matrix& m)
{
    return { v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
        v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
        v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] };
}

// Normals go through the inverse transpose of the 3x3 part.
Vector3 TransformNormal(const Vector3& n, const Matrix& m)
{
    float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (std::fabs(det) < 1e-20f)
        return TransformDirection(n, m);
    float inv = 1.0f / det;
    float cof[3][3] = { { (e * i - f * h), -(d * i - f * g), (d * h - e * g) },
        { -(b * i - c * h), (a * i - c * g), -(a * h - b * g) },
        { (b * f - c * e), -(a * f - c * d), (a * e - b * d) } };
    // (M^-1)^T = cof / det, so component j of n * (M^-1)^T is sum_k n_k cof[k][j] / det.
    return { (n.x * cof[0][0] + n.y * cof[1][0] + n.z * cof[2][0]) * inv,
        (n.x * cof[0][1] + n.y * cof[1][1] + n.z * cof[2][1]) * inv,
        (n.x * cof[0][2] + n.y * cof[1][2] + n.z * cof[2][2]) * inv };
}

float Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 Normalise(const Vector3& v)
{
    float length = std::sqrt(Dot(v, v));
    if (length <= 0)
        return v;
    return { v.x / length, v.y / length, v.z / length };
}

Vector3 Sub(const Vector3& a, const Vector3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

Vector3 Add(const Vector3& a, const Vector3& b)
{
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}

ColorValue Mul(const ColorValue& a, const ColorValue& b)
{
    return { a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a };
}

void AddScaled(ColorValue& to, const ColorValue& c, float s)
{
    to.r += c.r * s;
    to.g += c.g * s;
    to.b += c.b * s;
}

ColorValue Saturate(ColorValue c)
{
    auto sat = [](float v) { return std::clamp(v, 0.0f, 1.0f); };
    return { sat(c.r), sat(c.g), sat(c.b), sat(c.a) };
}

} // namespace

LitVertex LightVertex(const DeviceState& state, const Vector3& position, const Vector3& normal,
    std::optional<Color> vertexDiffuse, std::optional<Color> vertexSpecular)
{
    const Material& material = state.material;
    bool colorVertex = state.Get(RenderState::ColorVertex) != 0;
    auto source = [&](RenderState sourceState, const ColorValue& fromMaterial) {
        auto which = MaterialSource(state.Get(sourceState));
        if (colorVertex && which == MaterialSource::Color1 && vertexDiffuse)
            return ToColorValue(*vertexDiffuse);
        if (colorVertex && which == MaterialSource::Color2 && vertexSpecular)
            return ToColorValue(*vertexSpecular);
        return fromMaterial;
    };
    ColorValue cd = source(RenderState::DiffuseMaterialSource, material.diffuse);
    ColorValue cs = source(RenderState::SpecularMaterialSource, material.specular);
    ColorValue ca = source(RenderState::AmbientMaterialSource, material.ambient);
    ColorValue ce = source(RenderState::EmissiveMaterialSource, material.emissive);

    Matrix worldView = Multiply(state.Get(Transform::World), state.Get(Transform::View));
    const Matrix& view = state.Get(Transform::View);
    Vector3 p = TransformPoint(position, worldView);
    Vector3 n = TransformNormal(normal, worldView);
    if (state.Get(RenderState::NormalizeNormals))
        n = Normalise(n);
    Vector3 toEye = state.Get(RenderState::LocalViewer) ? Normalise(Vector3 { -p.x, -p.y, -p.z })
                                                        : Vector3 { 0, 0, -1 };

    ColorValue ambient = ToColorValue(state.Get(RenderState::Ambient));
    ColorValue diffuseSum;
    ColorValue specularSum;
    for (const auto& [index, slot] : state.lights) {
        if (!slot.enabled)
            continue;
        const Light& light = slot.light;
        Vector3 l;
        float att = 1;
        if (light.type == LightType::Directional) {
            Vector3 dir = TransformDirection(light.direction, view);
            l = Normalise(Vector3 { -dir.x, -dir.y, -dir.z });
        } else if (light.type == LightType::Point) {
            Vector3 lp = TransformPoint(light.position, view);
            Vector3 d = Sub(lp, p);
            float distance = std::sqrt(Dot(d, d));
            if (distance > light.range)
                continue;
            float denominator = light.attenuation0 + light.attenuation1 * distance
                + light.attenuation2 * distance * distance;
            att = denominator > 0 ? 1.0f / denominator : 1.0f;
            l = Normalise(d);
        } else {
            continue;
        }
        AddScaled(ambient, light.ambient, att);
        float nl = std::max(0.0f, Dot(n, l));
        AddScaled(diffuseSum, light.diffuse, att * nl);
        Vector3 h = Normalise(Add(toEye, l));
        float nh = std::max(0.0f, Dot(n, h));
        float power = nh > 0 ? std::pow(nh, material.power) : 0.0f;
        AddScaled(specularSum, light.specular, att * power);
    }
    LitVertex out;
    ColorValue diffuse = ce;
    AddScaled(diffuse, Mul(ca, ambient), 1);
    AddScaled(diffuse, Mul(cd, diffuseSum), 1);
    diffuse.a = cd.a;
    ColorValue specular = Mul(cs, specularSum);
    specular.a = 0;
    out.diffuse = Saturate(diffuse);
    out.specular = Saturate(specular);
    return out;
}

} // namespace plat::gfx
