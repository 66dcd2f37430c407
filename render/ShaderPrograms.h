// The shader programs of the slot manager as assembly text; Init assembles them with the
// graphics layer's assembler.
#pragma once

#include "platform/gfx/shader.h"

#include <array>

// The water vertex shader (vs.1.1) of slot 23 A, one string with a line feed between lines.
extern const char kWaterVertexShaderText[];
// Its input declaration: stream 0; v0, v1, v3 three floats, v5 a colour, v7 two floats.
extern const std::array<plat::gfx::VertexElement, 5> kWaterVertexDeclaration;

// The three pixel programs, by handle index: 0 SpecMap, 1 the sky layer, 2 SpecBump.
constexpr int kPixelProgramCount = 3;
extern const char* const kPixelShaderTexts[kPixelProgramCount];
