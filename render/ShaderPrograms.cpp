#include "render/ShaderPrograms.h"

// Kept exactly as written, trailing blanks included.
const char kWaterVertexShaderText[] = "vs.1.1\n"
                                      "mul r2, v1, c11 \n"
                                      "mov r1, v0 \n"
                                      "add r1.z, r2.x, r2.y \n"
                                      "add r1.z, r1.z, r2.z \n"
                                      "m4x4 oPos, r1, c3 \n"
                                      "m4x3 r0, r1, c0 \n"
                                      "mul r0.x, r0.x, c9.x \n"
                                      "mul r0.y, r0.y, c9.y \n"
                                      "add r0.z, r0.z, c9.z \n"
                                      "rcp r0.z, r0.z \n"
                                      "mad oT1.x, r0.x, r0.z, c8.x \n"
                                      "mad oT1.y, r0.y, r0.z, c8.y \n"
                                      "mad oT0.x, v7.x, c10.z, c10.x \n"
                                      "mad oT0.y, v7.y, c10.z, c10.y \n"
                                      "mad oT2.x, v7.x, c10.z, c10.x \n"
                                      "mad oT2.y, v7.y, c10.z, c10.y \n"
                                      "mov r1, c13 \n"
                                      "sub r0, r1, v0 \n"
                                      "dp3 r1, r0, r0 \n"
                                      "rsq r2.z, r1.z \n"
                                      "mul r0.z, r0.z, r2.z \n"
                                      "sub r0.w, c8.w, r0.z \n"
                                      "mov r2, v5 \n"
                                      "add r2.w, r2.w, r0.w \n"
                                      "mul r0, r2, c12 \n"
                                      "mov oD0, r0 \n"
                                      "mov r2.z, c8.w \n"
                                      "mul r1.w, r1.z, c10.w \n"
                                      "exp r2, r1 \n"
                                      "mov oFog.x, r2.z";

const std::array<plat::gfx::VertexElement, 5> kWaterVertexDeclaration = { {
    { 0, plat::gfx::DeclType::Float3 },
    { 1, plat::gfx::DeclType::Float3 },
    { 3, plat::gfx::DeclType::Float3 },
    { 5, plat::gfx::DeclType::D3dColor },
    { 7, plat::gfx::DeclType::Float2 },
} };

namespace {

// SpecMap: created, never set by a slot.
constexpr char kSpecMap[] = "ps.1.0\n"
                            "tex t0\n"
                            "tex t1\n"
                            "mov r0, v1\n";

// Sky layer: colour of texture 0; alpha = factor alpha x t1 alpha x t0 alpha x diffuse alpha.
constexpr char kSkyLayer[] = "ps.1.0\n"
                             "tex t0\n"
                             "tex t1\n"
                             "mul r0.a, t0.a, v0.a\n"
                             "mul r1.a, t1.a, r0.a\n"
                             "mov r1.rgb, t0\n"
                             "mul r0.a, c0.a, r1.a\n"
                             "mov r0.rgb, r1\n";

// SpecBump: (normal texel . specular colour, both expanded to -1..1, saturated) to the fourth
// power; alpha = diffuse alpha x texel alpha.
constexpr char kSpecBump[] = "ps.1.1\n"
                             "tex t0\n"
                             "dp3_sat r0, t0_bx2, v1_bx2\n"
                             "mul r1.rgb, r0, r0\n"
                             "mul r0.rgb, r1, r1\n"
                             "mul r0.a, v0.a, t0.a\n";

} // namespace

const char* const kPixelShaderTexts[kPixelProgramCount] = { kSpecMap, kSkyLayer, kSpecBump };
