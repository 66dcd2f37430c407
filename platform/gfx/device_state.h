// The device's live state as the front keeps it; backends read it at each draw, clear and
// validation, together with the groups changed since the last draw.
#pragma once

#include "platform/gfx/resource.h"
#include "platform/gfx/shader.h"
#include "platform/gfx/states.h"
#include "platform/gfx/types.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace plat::gfx {

constexpr uint32_t kVertexShaderConstants = 96;
constexpr uint32_t kPixelShaderConstants = 8;

struct LightSlot {
    Light light;
    bool enabled = false;
};

// Groups of state a backend may cache; set when a value changes, cleared after each draw.
namespace dirty {
constexpr uint32_t kRenderStates = 1u << 0;
constexpr uint32_t kStageStates = 1u << 1;
constexpr uint32_t kViewport = 1u << 2;
constexpr uint32_t kMaterial = 1u << 3;
constexpr uint32_t kLights = 1u << 4;
constexpr uint32_t kClipPlanes = 1u << 5;
constexpr uint32_t kTextures = 1u << 6;
constexpr uint32_t kStream = 1u << 7;
constexpr uint32_t kIndices = 1u << 8;
constexpr uint32_t kShaders = 1u << 9;
constexpr uint32_t kVertexConstants = 1u << 10;
constexpr uint32_t kPixelConstants = 1u << 11;
constexpr uint32_t kTargets = 1u << 12;
// Render states that only feed values (colours, fog range, point sizes), never which program
// or which fixed GL state a draw needs; kRenderStates names every other render state.
constexpr uint32_t kRenderValues = 1u << 13;
// One bit per transform from here on, so a backend recomputes only what a changed matrix feeds.
constexpr uint32_t kFirstTransform = 14;
static_assert(kFirstTransform + kTransformCount <= 32);
constexpr uint32_t TransformBit(Transform transform)
{
    return 1u << (kFirstTransform + uint32_t(transform));
}
constexpr uint32_t kTransforms = ((1u << kTransformCount) - 1) << kFirstTransform;
constexpr uint32_t kAll = (1u << (kFirstTransform + kTransformCount)) - 1;

// The bit a change of `state` sets.
constexpr uint32_t RenderStateBit(RenderState state)
{
    constexpr RenderState kValues[] = { RenderState::AlphaRef, RenderState::Ambient,
        RenderState::TextureFactor, RenderState::FogColor, RenderState::FogStart, RenderState::FogEnd,
        RenderState::FogDensity, RenderState::PointSize, RenderState::PointSizeMin, RenderState::PointSizeMax,
        RenderState::PointScaleA, RenderState::PointScaleB, RenderState::PointScaleC };
    for (RenderState value : kValues)
        if (state == value)
            return kRenderValues;
    return kRenderStates;
}
} // namespace dirty

struct DeviceState {
    std::array<uint32_t, kRenderStateCount> render {};
    std::array<std::array<uint32_t, kStageStateCount>, kStageCount> stage {};
    std::array<Matrix, kTransformCount> transforms {};
    Viewport viewport;
    Material material;
    std::map<uint32_t, LightSlot> lights;
    std::array<Vector4, kMaxClipPlanes> clipPlanes {};
    std::array<Texture*, kStageCount> textures {};
    VertexBuffer* streamSource = nullptr;
    uint32_t streamStride = 0;
    IndexBuffer* indices = nullptr;
    uint32_t baseVertexIndex = 0;
    uint32_t vertexShader = 0; // an FVF code (even), a shader handle (odd), or 0
    uint32_t pixelShader = 0; // a handle, or 0 for the stage combiner
    std::array<Vector4, kVertexShaderConstants> vertexConstants {};
    std::array<Vector4, kPixelShaderConstants> pixelConstants {};
    Surface* renderTarget = nullptr;
    Surface* depthStencil = nullptr;

    uint32_t Get(RenderState state) const { return render[size_t(state)]; }
    float GetFloat(RenderState state) const { return BitsFloat(render[size_t(state)]); }
    uint32_t Get(uint32_t stageIndex, StageState state) const { return stage[stageIndex][size_t(state)]; }
    const Matrix& Get(Transform transform) const { return transforms[size_t(transform)]; }
};

constexpr bool IsShaderHandle(uint32_t vertexShader)
{
    return (vertexShader & 1) != 0;
}

struct VertexShader {
    uint32_t handle = 0;
    std::vector<VertexElement> declaration;
    std::vector<uint32_t> tokens;
    ShaderProgram program;
    uint32_t usage = 0;
    std::unique_ptr<BackendObject> backend;
};

struct PixelShader {
    uint32_t handle = 0;
    std::vector<uint32_t> tokens;
    ShaderProgram program;
    std::unique_ptr<BackendObject> backend;
};

} // namespace plat::gfx
