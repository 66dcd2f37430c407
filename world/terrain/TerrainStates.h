// The two state sets of the cell renderers and the terrain's material. Near cells blend their
// layers by the vertex alpha over a texture whose alpha marks the material's gaps; far cells draw
// their vertex colours opaque.
#pragma once

#include "platform/gfx/states.h"
#include "platform/gfx/types.h"

#include <array>
#include <cstdint>

struct STerrainState {
    int stage; // -1: a render state, else the texture stage
    uint32_t state; // plat::gfx::RenderState or plat::gfx::StageState
    uint32_t value;
};

namespace terrain_states {

using plat::gfx::Blend;
using plat::gfx::RenderState;
using plat::gfx::StageState;
using plat::gfx::TextureArg;
using plat::gfx::TextureOp;

constexpr STerrainState Render(RenderState state, uint32_t value)
{
    return STerrainState { -1, uint32_t(state), value };
}
constexpr STerrainState Stage(int stage, StageState state, uint32_t value)
{
    return STerrainState { stage, uint32_t(state), value };
}

} // namespace terrain_states

inline constexpr std::array<STerrainState, 13> kNearCellStates = {
    terrain_states::Render(terrain_states::RenderState::SrcBlend, uint32_t(terrain_states::Blend::SrcAlpha)),
    terrain_states::Render(
        terrain_states::RenderState::DestBlend, uint32_t(terrain_states::Blend::InvSrcAlpha)),
    terrain_states::Render(terrain_states::RenderState::AlphaBlendEnable, 1),
    terrain_states::Stage(
        0, terrain_states::StageState::ColorOp, uint32_t(terrain_states::TextureOp::Modulate)),
    terrain_states::Stage(
        0, terrain_states::StageState::ColorArg1, uint32_t(terrain_states::TextureArg::Texture)),
    terrain_states::Stage(
        0, terrain_states::StageState::ColorArg2, uint32_t(terrain_states::TextureArg::Diffuse)),
    terrain_states::Stage(
        0, terrain_states::StageState::AlphaOp, uint32_t(terrain_states::TextureOp::SelectArg1)),
    terrain_states::Stage(0, terrain_states::StageState::AlphaArg1,
        uint32_t(terrain_states::TextureArg::Texture) | plat::gfx::kArgComplement),
    terrain_states::Stage(
        1, terrain_states::StageState::ColorOp, uint32_t(terrain_states::TextureOp::BlendCurrentAlpha)),
    terrain_states::Stage(
        1, terrain_states::StageState::ColorArg1, uint32_t(terrain_states::TextureArg::Diffuse)),
    terrain_states::Stage(
        1, terrain_states::StageState::ColorArg2, uint32_t(terrain_states::TextureArg::Current)),
    terrain_states::Stage(
        1, terrain_states::StageState::AlphaOp, uint32_t(terrain_states::TextureOp::SelectArg1)),
    terrain_states::Stage(
        1, terrain_states::StageState::AlphaArg1, uint32_t(terrain_states::TextureArg::Diffuse)),
};

inline constexpr std::array<STerrainState, 7> kFarCellStates = {
    terrain_states::Render(terrain_states::RenderState::SrcBlend, uint32_t(terrain_states::Blend::One)),
    terrain_states::Render(terrain_states::RenderState::DestBlend, uint32_t(terrain_states::Blend::Zero)),
    terrain_states::Render(terrain_states::RenderState::AlphaBlendEnable, 0),
    terrain_states::Stage(
        0, terrain_states::StageState::AlphaOp, uint32_t(terrain_states::TextureOp::Disable)),
    terrain_states::Stage(
        0, terrain_states::StageState::ColorOp, uint32_t(terrain_states::TextureOp::SelectArg2)),
    terrain_states::Stage(
        0, terrain_states::StageState::ColorArg2, uint32_t(terrain_states::TextureArg::Diffuse)),
    terrain_states::Stage(
        1, terrain_states::StageState::ColorOp, uint32_t(terrain_states::TextureOp::Disable)),
};

// Diffuse and ambient white, no specular or emissive, power 15.
inline constexpr plat::gfx::Material kTerrainMaterial { { 1, 1, 1, 1 }, { 1, 1, 1, 1 }, { 0, 0, 0, 0 },
    { 0, 0, 0, 0 }, 15.0f };
