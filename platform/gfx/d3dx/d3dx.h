// The D3DX helpers the game calls: textures and surfaces from image files or other surfaces,
// image information, vertex sizes of flexible formats, matrix transpose and the shader
// assembler. Files are plain files opened through the kernel layer's path resolver, never
// archive members. Results are codes; nothing throws.
#pragma once

#include "platform/gfx/d3dx/image.h"
#include "platform/gfx/d3dx/pixels.h"
#include "platform/gfx/device.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::gfx::d3dx {

// "Take it from the file" for sizes and formats, "a full chain" for levels, the default filter.
constexpr uint32_t kDefault = 0xFFFFFFFFu;

// Width or height kDefault: the file's, not rounded. Levels 0 or kDefault: the full chain.
// Format Unknown: the file's. Filter Default is Triangle, mip filter Default is Box, mip filter
// None leaves the smaller levels black. Only colour key 0 (none) is accepted.
Result CreateTextureFromFileEx(Device& device, std::string_view path, uint32_t width, uint32_t height,
    uint32_t mipLevels, uint32_t usage, Format format, Pool pool, Filter filter, Filter mipFilter,
    Color colorKey, ImageInfo* sourceInfo, Texture** out);

// Loads the picture (or its rectangle) into the surface (or its rectangle), resampled when the
// sizes differ and converted to the surface's format (DXT encoded).
Result LoadSurfaceFromFile(Surface& target, const Rect* targetRect, std::string_view path,
    const Rect* sourceRect, Filter filter, Color colorKey, ImageInfo* sourceInfo);
Result LoadSurfaceFromSurface(Surface& target, const Rect* targetRect, Surface& source,
    const Rect* sourceRect, Filter filter, Color colorKey);

Result GetImageInfoFromFile(std::string_view path, ImageInfo& out);

uint32_t GetFVFVertexSize(uint32_t fvf);

Matrix* MatrixTranspose(Matrix* out, const Matrix* in);

// Assembles vs.1.1 or ps.1.0/1.1 source into our token stream. Errors come back one per line
// as "line N: text"; the first error stops the assembly.
Result AssembleShader(std::string_view source, std::vector<uint32_t>& tokens, std::string* errors);

// The whole file, read through the path resolver; NotFound when it does not open.
Result ReadFileBytes(std::string_view path, std::vector<uint8_t>& out);

} // namespace plat::gfx::d3dx
