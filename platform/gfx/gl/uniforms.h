// The values the generated programs read, derived from the device state by group. A group is
// recomputed only when the front marks its state dirty, and its generation moves on only when
// a value really changed; a program receives a group again only when its generation differs.
#pragma once

#include "platform/gfx/device_state.h"
#include "platform/gfx/gl/glsl.h"

#include <array>
#include <cstdint>

namespace plat::gfx::gl {

constexpr uint32_t kMaxLights = 16;
constexpr uint32_t kGroupCount = uint32_t(UniformGroup::Count);

struct Vec4 {
    float v[4] = {};
    bool operator==(const Vec4&) const = default;
};

struct Mat4 {
    float m[16] = {};
    bool operator==(const Mat4&) const = default;
};

struct Mat3 {
    float m[9] = {};
    bool operator==(const Mat3&) const = default;
};

struct TransformValues {
    std::array<Mat4, 4> worldView {};
    Mat4 projection;
    Mat4 worldViewProjection;
    std::array<Mat4, kStageCount> texture {};
    bool operator==(const TransformValues&) const = default;
};

struct ViewportValues {
    Vec4 pixelShift, rhwMap, depthMap;
    bool operator==(const ViewportValues&) const = default;
};

struct LightValues {
    int32_t count = 0;
    std::array<Vec4, kMaxLights> diffuse {}, specular {}, ambient {}, position {}, direction {},
        attenuation {};
    bool operator==(const LightValues&) const = default;
};

struct MaterialValues {
    Vec4 diffuse, ambient, specular, emissive, power;
    bool operator==(const MaterialValues&) const = default;
};

struct RenderValues {
    Vec4 globalAmbient, textureFactor, fogColor, fogParams, alphaRef, pointParams, pointScale;
    bool operator==(const RenderValues&) const = default;
};

struct StageValues {
    std::array<Vec4, kStageCount> bump {};
    bool operator==(const StageValues&) const = default;
};

struct ClipValues {
    std::array<Vec4, kMaxClipPlanes> camera {}, clip {};
    bool operator==(const ClipValues&) const = default;
};

struct ConstantValues {
    std::array<Vec4, kVertexShaderConstants> vertex {};
    std::array<Vec4, kPixelShaderConstants> pixel {};
};

class UniformValues {
public:
    // Recomputes the groups `dirty` (device dirty:: bits) touches.
    void Update(const DeviceState& state, uint32_t dirty, float maxPointSize);

    uint32_t Generation(UniformGroup group) const { return m_generation[size_t(group)]; }

    const TransformValues& Transforms() const { return m_transforms; }
    // The normal matrices of the four world-view matrices, made when first asked for.
    const std::array<Mat3, 4>& Normals() const;
    const ViewportValues& ViewportGroup() const { return m_viewport; }
    const LightValues& Lights() const { return m_lights; }
    const MaterialValues& MaterialGroup() const { return m_material; }
    const RenderValues& Values() const { return m_values; }
    const StageValues& Stages() const { return m_stages; }
    const ClipValues& Clip() const { return m_clip; }
    const ConstantValues& Constants() const { return m_constants; }

private:
    template <class T> void Store(UniformGroup group, T& slot, const T& next);

    // Recomputes the transform group from the matrices `changed` (dirty:: transform bits) names.
    void UpdateTransforms(const DeviceState& state, uint32_t changed);

    std::array<uint32_t, kGroupCount> m_generation {};
    std::array<Matrix, 4> m_worldView {}; // WORLDMATRIX(i) x VIEW
    mutable std::array<Mat3, 4> m_normals {};
    mutable bool m_normalsStale = true;
    TransformValues m_transforms;
    ViewportValues m_viewport;
    LightValues m_lights;
    MaterialValues m_material;
    RenderValues m_values;
    StageValues m_stages;
    ClipValues m_clip;
    ConstantValues m_constants;
};

// Row-major helpers on the device's matrices (row vectors, v * M).
Matrix Inverse(const Matrix& m, bool* invertible = nullptr);

} // namespace plat::gfx::gl
