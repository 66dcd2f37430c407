// A recorded state block: only what was set while recording, the last value winning.
// Applying it sets exactly those values, in a fixed order (lights before their enables).
#pragma once

#include "platform/gfx/device_state.h"
#include "platform/gfx/states.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>

namespace plat::gfx {

class Device;

struct StateBlock {
    struct LightEntry {
        std::optional<Light> light;
        std::optional<bool> enable;
    };

    std::bitset<kRenderStateCount> renderSet;
    std::array<uint32_t, kRenderStateCount> render {};
    std::array<std::bitset<kStageStateCount>, kStageCount> stageSet;
    std::array<std::array<uint32_t, kStageStateCount>, kStageCount> stage {};
    std::bitset<kTransformCount> transformSet;
    std::array<Matrix, kTransformCount> transforms {};
    std::optional<Viewport> viewport;
    std::optional<Material> material;
    std::map<uint32_t, LightEntry> lights;
    std::bitset<kMaxClipPlanes> clipSet;
    std::array<Vector4, kMaxClipPlanes> clipPlanes {};
    std::bitset<kStageCount> textureSet;
    std::array<Texture*, kStageCount> textures {}; // each holds a binding
    bool streamSet = false;
    VertexBuffer* stream = nullptr;
    uint32_t streamStride = 0;
    bool indicesSet = false;
    IndexBuffer* indices = nullptr;
    uint32_t baseVertexIndex = 0;
    std::optional<uint32_t> vertexShader;
    std::optional<uint32_t> pixelShader;
    std::bitset<kVertexShaderConstants> vertexConstantSet;
    std::array<Vector4, kVertexShaderConstants> vertexConstants {};
    std::bitset<kPixelShaderConstants> pixelConstantSet;
    std::array<Vector4, kPixelShaderConstants> pixelConstants {};

    void Apply(Device& device) const;
    // Drops the bindings it holds.
    void ReleaseBindings();
};

} // namespace plat::gfx
