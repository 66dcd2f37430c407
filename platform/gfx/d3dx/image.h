// Image files for the D3DX loaders: PNG (libpng), JPEG (libjpeg), and our own readers of BMP
// (24/32-bit), TGA (types 2 and 10, either origin) and DDS (DXT1/3/5, 16/32-bit, mip levels).
// Every reader bounds its reads, sizes and counts and fails with a code and a reason.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plat::gfx::d3dx {

constexpr uint32_t kMaxImageDimension = 16384;
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 24; // 4096 x 4096, 64 MB as A8R8G8B8

enum class ImageFileFormat { Bmp, Jpg, Tga, Png, Dds };

struct ImageInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t mipLevels = 1;
    Format format = Format::Unknown;
    ResourceType resourceType = ResourceType::Texture;
    ImageFileFormat imageFileFormat = ImageFileFormat::Bmp;
};

// A decoded file: each level tightly packed (RowPitch of the format), level 0 first. PNG, JPEG,
// BMP and TGA give A8R8G8B8 (with alpha) or X8R8G8B8 pixels; DDS keeps its stored format.
struct Image {
    ImageInfo info;
    std::vector<std::vector<uint8_t>> levels;
};

// Reads any of the five kinds, told apart by content (TGA, which has no signature, last).
// With headerOnly the levels stay empty.
Result ReadImage(
    std::span<const uint8_t> file, Image& out, bool headerOnly = false, std::string* error = nullptr);

Result ReadPng(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error);
Result ReadJpeg(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error);
Result ReadBmp(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error);
Result ReadTga(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error);
Result ReadDds(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error);

// Size checks shared by the readers.
bool ImageSizeAllowed(uint32_t width, uint32_t height);

} // namespace plat::gfx::d3dx
