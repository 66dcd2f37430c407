// Per-vertex fixed-function lighting with the Direct3D 8 formulas, on the CPU. It is the
// reference the gl backend's generated code follows and the tests check the Parts' probes with:
//   diffuse  = Ce + Ca (Ga + sum att La) + sum att Cd Ld max(0, N.L)   (alpha: Cd's)
//   specular = sum att Cs Ls max(0, N.H)^P,  H = norm(norm(eye - P) + L)
// Point lights: att = 1 / (a0 + a1 d + a2 d^2), none past their range. Specular is computed
// whenever lighting is on; SPECULARENABLE only decides whether it is added after the stages.
#pragma once

#include "platform/gfx/device_state.h"
#include "platform/gfx/types.h"

#include <optional>

namespace plat::gfx {

struct LitVertex {
    ColorValue diffuse;
    ColorValue specular;
};

// position and normal in model space; the colours the vertex carries, if any. The world,
// view, material, lights and lighting states come from `state`.
LitVertex LightVertex(const DeviceState& state, const Vector3& position, const Vector3& normal,
    std::optional<Color> vertexDiffuse, std::optional<Color> vertexSpecular);

} // namespace plat::gfx
