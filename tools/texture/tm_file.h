// TM texture files for tools and tests: the writer (formats 21 and 22 with levels down to 1 x 1,
// or DXT5 levels while both sides are multiples of 4, encoded by the graphics layer's codec), and
// device-free inspection and decoding of the top level as the game's reader sees it.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::texture {

using ::Bytes;

// A picture of 0xAARRGGBB pixels, rows from the top.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;
};

enum class TmFormat { Argb, Xrgb, Dxt5 }; // stored as 21, 22 and the DXT5 code

// Value of the format field.
uint32_t TmFormatValue(TmFormat format);

// The level chain the writer stores, level 0 first, made with the reader's box filter.
std::vector<Picture> BuildLevels(const Picture& top, uint32_t levels);
// Power-of-two sides (at least 4 for DXT5) are required.
bool EncodeTm(const Picture& picture, TmFormat format, Bytes& out, std::string& error);
bool WriteTm(const std::filesystem::path& path, const Picture& picture, TmFormat format, std::string& error);

struct TmInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = 0;
    uint32_t levels = 0; // compressed: the header's; else the whole levels the file holds
    bool compressed = false;
};
// "width W height H format F levels L compressed 0|1", F in decimal or "dxt5".
std::string FormatInfoLine(const TmInfo& info);
bool ReadTmInfo(const std::filesystem::path& path, TmInfo& info, std::string& error);

// The top level as CTexture::ReadImageFile builds it (reduction, 16-bit plane A, software DXT5),
// as 8-bit RGBA: 16-bit channels widened by bit replication, formats without alpha at 255.
bool DecodeTmTop(const std::filesystem::path& path, int32_t reduction, int32_t bitsPerPixel, uint32_t& width,
    uint32_t& height, Bytes& rgba, std::string& error);

// PNG files of 8-bit RGBA.
bool ReadPng(const std::filesystem::path& path, Picture& picture, std::string& error);
bool WritePng(const std::filesystem::path& path, uint32_t width, uint32_t height, const Bytes& rgba,
    std::string& error);

} // namespace zoq::tools::texture
