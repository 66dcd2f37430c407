#include "platform/gfx/fvf.h"

namespace plat::gfx {
namespace {

constexpr uint32_t kKnownBits
    = fvf::kPositionMask | fvf::kNormal | fvf::kPSize | fvf::kDiffuse | fvf::kSpecular | fvf::kTexCountMask;

} // namespace

FvfLayout DecodeFvf(uint32_t code)
{
    FvfLayout layout;
    uint32_t texCount = (code & fvf::kTexCountMask) >> fvf::kTexCountShift;
    uint32_t sizeBits = code >> 16;
    if ((code & 0xFFFF & ~kKnownBits) != 0 || texCount > 8)
        return layout;
    // Size bits of sets the code does not have must be clear.
    if (texCount < 8 && (sizeBits >> (2 * texCount)) != 0)
        return layout;

    uint32_t offset = 0;
    switch (code & fvf::kPositionMask) {
    case fvf::kXyz:
        layout.positionFloats = 3;
        break;
    case fvf::kXyzRhw:
        layout.positionFloats = 4;
        layout.transformed = true;
        break;
    case fvf::kXyzB1:
        layout.positionFloats = 3;
        layout.blendWeights = 1;
        break;
    case fvf::kXyzB2:
        layout.positionFloats = 3;
        layout.blendWeights = 2;
        break;
    case fvf::kXyzB3:
        layout.positionFloats = 3;
        layout.blendWeights = 3;
        break;
    default:
        return layout;
    }
    offset = 4 * (layout.positionFloats + layout.blendWeights);
    if (code & fvf::kNormal) {
        layout.normalOffset = int32_t(offset);
        offset += 12;
    }
    if (code & fvf::kPSize) {
        layout.pointSizeOffset = int32_t(offset);
        offset += 4;
    }
    if (code & fvf::kDiffuse) {
        layout.diffuseOffset = int32_t(offset);
        offset += 4;
    }
    if (code & fvf::kSpecular) {
        layout.specularOffset = int32_t(offset);
        offset += 4;
    }
    static constexpr uint32_t kFloats[4] = { 2, 3, 4, 1 };
    layout.texCoordCount = texCount;
    for (uint32_t set = 0; set < texCount; ++set) {
        layout.texCoordFloats[set] = kFloats[(sizeBits >> (2 * set)) & 3];
        layout.texCoordOffset[set] = int32_t(offset);
        offset += 4 * layout.texCoordFloats[set];
    }
    layout.size = offset;
    layout.valid = true;
    return layout;
}

uint32_t FvfVertexSize(uint32_t code)
{
    FvfLayout layout = DecodeFvf(code);
    return layout.valid ? layout.size : 0;
}

} // namespace plat::gfx
