// Device capabilities and the two profiles: `full` (what the backend really does) and
// `minimal` (a two-stage device without shaders). The front reports and enforces the profile
// chosen before CreateDevice.
#pragma once

#include "platform/gfx/states.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <string_view>

namespace plat::gfx {

constexpr uint32_t ShaderVersion(uint32_t major, uint32_t minor)
{
    return major << 8 | minor;
}

constexpr uint32_t OpBit(TextureOp op)
{
    return 1u << uint32_t(op);
}

struct Caps {
    DeviceType deviceType = DeviceType::Hal;

    // Device
    bool hardwareTransformAndLight = true;
    bool pureDevice = false;
    bool canRenderWindowed = true;
    bool fullscreenGamma = true; // the ramp is applied at Present, in a window too
    bool dynamicTextures = true;
    bool colorCursor = false;

    // Raster
    bool anisotropy = true; // ANISOTROPY raster cap and both anisotropic filter caps
    bool fogTable = true;
    bool fogRange = true;
    bool wBuffer = false;

    // Texturing
    uint32_t textureOps = 0; // OpBit(...) of each supported operation
    bool argTemp = true; // TEMP as an argument and a result
    bool borderAddress = true;
    bool projectedTextures = true;
    uint32_t maxTextureBlendStages = 8;
    uint32_t maxSimultaneousTextures = 8;
    uint32_t maxTextureWidth = 8192;
    uint32_t maxTextureHeight = 8192;
    uint32_t maxAnisotropy = 16;

    // Geometry
    uint32_t maxVertexBlendMatrices = 4;
    uint32_t maxActiveLights = 16;
    uint32_t maxUserClipPlanes = kMaxClipPlanes;
    float maxPointSize = 64; // backends clamp POINTSIZE and its limits to it
    bool fvfPointSize = true;
    uint32_t maxPrimitiveCount = 0xFFFFF;
    uint32_t maxVertexIndex = 0xFFFFF;
    uint32_t maxStreams = 1;

    // Shaders
    uint32_t vertexShaderVersion = ShaderVersion(1, 1);
    uint32_t maxVertexShaderConst = 96;
    uint32_t pixelShaderVersion = ShaderVersion(1, 1);
    float maxPixelShaderValue = 1;

    // Formats and multisampling
    bool dxt5Textures = true;
    uint32_t maxMultiSample = 4;

    bool operator==(const Caps&) const = default;
};

enum class CapsProfile { Full, Minimal };

// Every listed texture operation (not BumpEnvMapLuminance).
constexpr uint32_t kAllTextureOps = (OpBit(TextureOp::BumpEnvMap) << 1) - 1;

// The minimal profile made from a backend's full caps.
Caps MinimalCaps(const Caps& full);
Caps ProfileCaps(const Caps& full, CapsProfile profile);

// "full", "minimal"; false for anything else.
bool ParseCapsProfile(std::string_view text, CapsProfile& out);

} // namespace plat::gfx
