// The game's water vertex shader, a line at a time with the trailing blanks it is stored with: the
// assembler and the GL translation tests both run it.
#pragma once

namespace plat::gfx::test {

inline constexpr const char* kWaterLines[] = { "vs.1.1", "mul r2, v1, c11 ", "mov r1, v0 ",
    "add r1.z, r2.x, r2.y ", "add r1.z, r1.z, r2.z ", "m4x4 oPos, r1, c3 ", "m4x3 r0, r1, c0 ",
    "mul r0.x, r0.x, c9.x ", "mul r0.y, r0.y, c9.y ", "add r0.z, r0.z, c9.z ", "rcp r0.z, r0.z ",
    "mad oT1.x, r0.x, r0.z, c8.x ", "mad oT1.y, r0.y, r0.z, c8.y ", "mad oT0.x, v7.x, c10.z, c10.x ",
    "mad oT0.y, v7.y, c10.z, c10.y ", "mad oT2.x, v7.x, c10.z, c10.x ", "mad oT2.y, v7.y, c10.z, c10.y ",
    "mov r1, c13 ", "sub r0, r1, v0 ", "dp3 r1, r0, r0 ", "rsq r2.z, r1.z ", "mul r0.z, r0.z, r2.z ",
    "sub r0.w, c8.w, r0.z ", "mov r2, v5 ", "add r2.w, r2.w, r0.w ", "mul r0, r2, c12 ", "mov oD0, r0 ",
    "mov r2.z, c8.w ", "mul r1.w, r1.z, c10.w ", "exp r2, r1 ", "mov oFog.x, r2.z" };

} // namespace plat::gfx::test
