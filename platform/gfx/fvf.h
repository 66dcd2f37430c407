// Flexible vertex formats: the bit codes model and mesh files store, and the vertex layout
// they describe. Codes are even; SetVertexShader reads odd values as shader handles.
#pragma once

#include <cstdint>

namespace plat::gfx {

// Bit values as mesh files store them.
namespace fvf {
constexpr uint32_t kXyz = 0x002;
constexpr uint32_t kXyzRhw = 0x004;
constexpr uint32_t kXyzB1 = 0x006;
constexpr uint32_t kXyzB2 = 0x008;
constexpr uint32_t kXyzB3 = 0x00A;
constexpr uint32_t kPositionMask = 0x00E;
constexpr uint32_t kNormal = 0x010;
constexpr uint32_t kPSize = 0x020;
constexpr uint32_t kDiffuse = 0x040;
constexpr uint32_t kSpecular = 0x080;
constexpr uint32_t kTexCountMask = 0xF00;
constexpr uint32_t kTexCountShift = 8;
constexpr uint32_t kTex0 = 0x000;
constexpr uint32_t kTex1 = 0x100;
constexpr uint32_t kTex2 = 0x200;
constexpr uint32_t kTex3 = 0x300;
constexpr uint32_t kTex4 = 0x400;
constexpr uint32_t kTex5 = 0x500;
constexpr uint32_t kTex6 = 0x600;
constexpr uint32_t kTex7 = 0x700;
constexpr uint32_t kTex8 = 0x800;
// Two bits per coordinate set from bit 16: 0 = two floats, 1 = three, 2 = four, 3 = one.
constexpr uint32_t TexCoordSize1(uint32_t set)
{
    return 3u << (16 + 2 * set);
}
constexpr uint32_t TexCoordSize2(uint32_t)
{
    return 0;
}
constexpr uint32_t TexCoordSize3(uint32_t set)
{
    return 1u << (16 + 2 * set);
}
constexpr uint32_t TexCoordSize4(uint32_t set)
{
    return 2u << (16 + 2 * set);
}
} // namespace fvf

struct FvfLayout {
    bool valid = false;
    bool transformed = false; // XYZRHW
    uint32_t positionFloats = 0; // 3, or 4 with RHW
    uint32_t blendWeights = 0; // 0 to 3
    int32_t normalOffset = -1;
    int32_t pointSizeOffset = -1;
    int32_t diffuseOffset = -1;
    int32_t specularOffset = -1;
    uint32_t texCoordCount = 0;
    uint32_t texCoordFloats[8] = {};
    int32_t texCoordOffset[8] = {};
    uint32_t size = 0;
};

// Layout of a code; valid is false for codes the layer does not draw (no position, unknown
// bits, more than three weights, more than eight coordinate sets).
FvfLayout DecodeFvf(uint32_t code);

// Vertex size in bytes; 0 for an invalid code.
uint32_t FvfVertexSize(uint32_t code);

} // namespace plat::gfx
