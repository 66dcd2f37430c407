#include "platform/gfx/caps.h"

namespace plat::gfx {

Caps MinimalCaps(const Caps& full)
{
    Caps caps = full;
    caps.maxTextureBlendStages = 2;
    caps.maxSimultaneousTextures = 2;
    caps.argTemp = false;
    caps.textureOps &= ~(
        OpBit(TextureOp::BumpEnvMap) | OpBit(TextureOp::BumpEnvMapLuminance) | OpBit(TextureOp::DotProduct3));
    caps.vertexShaderVersion = 0;
    caps.maxVertexShaderConst = 0;
    caps.pixelShaderVersion = 0;
    caps.maxPixelShaderValue = 0;
    caps.projectedTextures = false;
    caps.borderAddress = false;
    caps.anisotropy = false;
    caps.maxAnisotropy = 1;
    caps.fogTable = false;
    caps.fogRange = false;
    caps.dynamicTextures = false;
    caps.dxt5Textures = false;
    caps.maxVertexBlendMatrices = 1; // WORLD alone
    caps.maxPointSize = 1;
    caps.fullscreenGamma = false;
    return caps;
}

Caps ProfileCaps(const Caps& full, CapsProfile profile)
{
    return profile == CapsProfile::Minimal ? MinimalCaps(full) : full;
}

bool ParseCapsProfile(std::string_view text, CapsProfile& out)
{
    if (text == "full") {
        out = CapsProfile::Full;
        return true;
    }
    if (text == "minimal") {
        out = CapsProfile::Minimal;
        return true;
    }
    return false;
}

} // namespace plat::gfx
