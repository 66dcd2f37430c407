#include "platform/gfx/gl/uniforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat::gfx::gl {
namespace {

Mat4 ToMat4(const Matrix& m)
{
    Mat4 out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

Vec4 ToVec4(const ColorValue& c)
{
    return { { c.r, c.g, c.b, c.a } };
}

Vec4 ToVec4(Color color)
{
    return ToVec4(ToColorValue(color));
}

// The inverse transpose of the upper 3x3, for normals; the matrix itself when singular.
Mat3 NormalMatrix(const Matrix& matrix)
{
    const auto& m = matrix.m;
    float a = m[0][0], b = m[0][1], c = m[0][2];
    float d = m[1][0], e = m[1][1], f = m[1][2];
    float g = m[2][0], h = m[2][1], i = m[2][2];
    float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    Mat3 out;
    if (std::fabs(det) < 1e-20f) {
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                out.m[r * 3 + k] = m[r][k];
        return out;
    }
    float inv = 1.0f / det;
    float cof[9] = { (e * i - f * h), -(d * i - f * g), (d * h - e * g), -(b * i - c * h), (a * i - c * g),
        -(a * h - b * g), (b * f - c * e), -(a * f - c * d), (a * e - b * d) };
    for (int k = 0; k < 9; ++k)
        out.m[k] = cof[k] * inv;
    return out;
}

Vector3 TransformPoint(const Vector3& v, const Matrix& m)
{
    return { v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
        v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
        v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2] };
}

Vector3 TransformDirection(const Vector3& v, const Matrix& m)
{
    return { v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
        v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
        v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] };
}

Vector3 Normalise(const Vector3& v)
{
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length <= 0)
        return v;
    return { v.x / length, v.y / length, v.z / length };
}

ViewportValues ComputeViewport(const DeviceState& state)
{
    const Viewport& vp = state.viewport;
    float width = float(std::max(vp.width, 1u));
    float height = float(std::max(vp.height, 1u));
    ViewportValues v;
    v.pixelShift = { { 1.0f / width, 1.0f / height, 0, 0 } };
    v.rhwMap = { { float(vp.x), float(vp.y), 2.0f / width, 2.0f / height } };
    float range = vp.maxZ - vp.minZ;
    v.depthMap = { { vp.minZ, range != 0 ? 1.0f / range : 0.0f, 0, 0 } };
    return v;
}

LightValues ComputeLights(const DeviceState& state)
{
    LightValues l;
    const Matrix& view = state.Get(Transform::View);
    for (const auto& [index, slot] : state.lights) {
        if (!slot.enabled || l.count >= int32_t(kMaxLights))
            continue;
        const Light& light = slot.light;
        if (light.type != LightType::Directional && light.type != LightType::Point)
            continue;
        size_t i = size_t(l.count++);
        l.diffuse[i] = ToVec4(light.diffuse);
        l.specular[i] = ToVec4(light.specular);
        l.ambient[i] = ToVec4(light.ambient);
        if (light.type == LightType::Directional) {
            Vector3 d = TransformDirection(light.direction, view);
            Vector3 toLight = Normalise(Vector3 { -d.x, -d.y, -d.z });
            l.direction[i] = { { toLight.x, toLight.y, toLight.z, 0 } };
            l.position[i] = { { 0, 0, 0, 0 } };
            l.attenuation[i] = { { 1, 0, 0, 0 } };
        } else {
            Vector3 p = TransformPoint(light.position, view);
            l.position[i] = { { p.x, p.y, p.z, 1 } };
            l.direction[i] = { { 0, 0, 0, 0 } };
            l.attenuation[i]
                = { { light.attenuation0, light.attenuation1, light.attenuation2, light.range } };
        }
    }
    return l;
}

MaterialValues ComputeMaterial(const DeviceState& state)
{
    const Material& m = state.material;
    MaterialValues v;
    v.diffuse = ToVec4(m.diffuse);
    v.ambient = ToVec4(m.ambient);
    v.specular = ToVec4(m.specular);
    v.emissive = ToVec4(m.emissive);
    v.power = { { m.power, 0, 0, 0 } };
    return v;
}

RenderValues ComputeValues(const DeviceState& state, float maxPointSize)
{
    RenderValues v;
    v.globalAmbient = ToVec4(state.Get(RenderState::Ambient));
    v.textureFactor = ToVec4(state.Get(RenderState::TextureFactor));
    v.fogColor = ToVec4(state.Get(RenderState::FogColor));
    float start = state.GetFloat(RenderState::FogStart);
    float end = state.GetFloat(RenderState::FogEnd);
    v.fogParams = { { start, end, end != start ? 1.0f / (end - start) : 0.0f,
        state.GetFloat(RenderState::FogDensity) } };
    v.alphaRef = { { float(state.Get(RenderState::AlphaRef) & 0xFF), 0, 0, 0 } };
    // The size and its limits stay within the reported maximum.
    float minimum = std::clamp(state.GetFloat(RenderState::PointSizeMin), 0.0f, maxPointSize);
    float maximum = std::clamp(state.GetFloat(RenderState::PointSizeMax), minimum, maxPointSize);
    v.pointParams
        = { { state.GetFloat(RenderState::PointSize), minimum, maximum, float(state.viewport.height) } };
    v.pointScale = { { state.GetFloat(RenderState::PointScaleA), state.GetFloat(RenderState::PointScaleB),
        state.GetFloat(RenderState::PointScaleC), 0 } };
    return v;
}

StageValues ComputeStages(const DeviceState& state)
{
    StageValues v;
    for (uint32_t k = 0; k < kStageCount; ++k)
        v.bump[k] = { { BitsFloat(state.Get(k, StageState::BumpEnvMat00)),
            BitsFloat(state.Get(k, StageState::BumpEnvMat01)),
            BitsFloat(state.Get(k, StageState::BumpEnvMat10)),
            BitsFloat(state.Get(k, StageState::BumpEnvMat11)) } };
    return v;
}

ClipValues ComputeClip(const DeviceState& state)
{
    ClipValues v;
    // A world-space plane p meets camera-space points Pc as dot(Pc * V^-1, p) = dot(Pc, V^-1 p).
    Matrix inverse = Inverse(state.Get(Transform::View));
    for (uint32_t i = 0; i < kMaxClipPlanes; ++i) {
        const Vector4& p = state.clipPlanes[i];
        float plane[4] = { p.x, p.y, p.z, p.w };
        for (int r = 0; r < 4; ++r)
            v.camera[i].v[r] = inverse.m[r][0] * plane[0] + inverse.m[r][1] * plane[1]
                + inverse.m[r][2] * plane[2] + inverse.m[r][3] * plane[3];
        v.clip[i] = { { p.x, p.y, p.z, p.w } };
    }
    return v;
}

} // namespace

Matrix Inverse(const Matrix& matrix, bool* invertible)
{
    // Gauss-Jordan with partial pivoting.
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = matrix.m[r][c];
            a[r][c + 4] = r == c ? 1 : 0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (std::fabs(a[pivot][c]) < 1e-30) {
            if (invertible)
                *invertible = false;
            return Matrix::Identity();
        }
        if (pivot != c)
            for (int k = 0; k < 8; ++k)
                std::swap(a[c][k], a[pivot][k]);
        double scale = 1.0 / a[c][c];
        for (int k = 0; k < 8; ++k)
            a[c][k] *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == c)
                continue;
            double f = a[r][c];
            for (int k = 0; k < 8; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    Matrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = float(a[r][c + 4]);
    if (invertible)
        *invertible = true;
    return out;
}

template <class T> void UniformValues::Store(UniformGroup group, T& slot, const T& next)
{
    uint32_t& generation = m_generation[size_t(group)];
    if (generation == 0 || !(slot == next)) {
        slot = next;
        ++generation;
    }
}

const std::array<Mat3, 4>& UniformValues::Normals() const
{
    if (m_normalsStale) {
        for (uint32_t i = 0; i < 4; ++i)
            m_normals[i] = NormalMatrix(m_worldView[i]);
        m_normalsStale = false;
    }
    return m_normals;
}

void UniformValues::UpdateTransforms(const DeviceState& state, uint32_t changed)
{
    auto dirty = [&](Transform t) { return (changed & dirty::TransformBit(t)) != 0; };
    bool view = dirty(Transform::View);
    bool projection = dirty(Transform::Projection);
    const Matrix& viewMatrix = state.Get(Transform::View);
    for (uint32_t i = 0; i < 4; ++i) {
        if (!view && !dirty(WorldMatrix(i)))
            continue;
        m_worldView[i] = Multiply(state.Get(WorldMatrix(i)), viewMatrix);
        m_transforms.worldView[i] = ToMat4(m_worldView[i]);
        m_normalsStale = true;
    }
    if (projection)
        m_transforms.projection = ToMat4(state.Get(Transform::Projection));
    if (view || projection || dirty(Transform::World))
        m_transforms.worldViewProjection = ToMat4(Multiply(m_worldView[0], state.Get(Transform::Projection)));
    for (uint32_t k = 0; k < kStageCount; ++k)
        if (dirty(TextureTransformOf(k)))
            m_transforms.texture[k] = ToMat4(state.Get(TextureTransformOf(k)));
}

void UniformValues::Update(const DeviceState& state, uint32_t dirtyBits, float maxPointSize)
{
    bool viewChanged = (dirtyBits & dirty::TransformBit(Transform::View)) != 0;
    if (dirtyBits & dirty::kTransforms) {
        UpdateTransforms(state, dirtyBits & dirty::kTransforms);
        ++m_generation[size_t(UniformGroup::Transforms)];
    }
    if (dirtyBits & (dirty::kViewport | dirty::kTargets))
        Store(UniformGroup::Viewport, m_viewport, ComputeViewport(state));
    // Lights and clip planes live in camera space: only the view matrix moves them.
    if ((dirtyBits & dirty::kLights) || viewChanged)
        Store(UniformGroup::Lights, m_lights, ComputeLights(state));
    if (dirtyBits & dirty::kMaterial)
        Store(UniformGroup::Material, m_material, ComputeMaterial(state));
    if (dirtyBits & (dirty::kRenderValues | dirty::kViewport | dirty::kTargets))
        Store(UniformGroup::Values, m_values, ComputeValues(state, maxPointSize));
    if (dirtyBits & dirty::kStageStates)
        Store(UniformGroup::Stages, m_stages, ComputeStages(state));
    if ((dirtyBits & dirty::kClipPlanes) || viewChanged)
        Store(UniformGroup::ClipPlanes, m_clip, ComputeClip(state));
    if (dirtyBits & dirty::kVertexConstants) {
        for (uint32_t i = 0; i < kVertexShaderConstants; ++i) {
            const Vector4& c = state.vertexConstants[i];
            m_constants.vertex[i] = { { c.x, c.y, c.z, c.w } };
        }
        ++m_generation[size_t(UniformGroup::VertexConstants)];
    }
    if (dirtyBits & dirty::kPixelConstants) {
        for (uint32_t i = 0; i < kPixelShaderConstants; ++i) {
            const Vector4& c = state.pixelConstants[i];
            m_constants.pixel[i] = { { c.x, c.y, c.z, c.w } };
        }
        ++m_generation[size_t(UniformGroup::PixelConstants)];
    }
}

} // namespace plat::gfx::gl
