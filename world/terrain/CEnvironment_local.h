// Helpers shared by the environment's files.
#pragma once

#include "render/Graphic.h"
#include "render/TextureManager.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace envlocal {

inline void SetFloatState(plat::gfx::Device* device, plat::gfx::RenderState state, float value)
{
    device->SetRenderState(state, std::bit_cast<uint32_t>(value));
}

inline CTexture* TextureAt(int32_t index)
{
    return g_pTextureManager && index >= 0 ? g_pTextureManager->GetTexture(index) : nullptr;
}

inline int32_t FindTexture(const char* name)
{
    return g_pTextureManager && name[0] != 0 ? g_pTextureManager->FindTexture(name) : -1;
}

inline plat::gfx::Matrix ToDevice(const Matrix4& m)
{
    plat::gfx::Matrix out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

} // namespace envlocal
