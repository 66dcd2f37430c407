// One row per format: storage size, block layout and what the layer supports it for.
// Formats the layer does not support stay listed so the game's probes are answered "absent".
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>

namespace plat::gfx {

enum class FormatKind { Color, Compressed, Bump, Depth, Index, Other };

namespace support {
constexpr uint32_t kTexture = 1u << 0;
constexpr uint32_t kRenderTarget = 1u << 1;
constexpr uint32_t kDepthStencil = 1u << 2;
constexpr uint32_t kBackBuffer = 1u << 3;
constexpr uint32_t kDisplay = 1u << 4; // a desktop or full-screen mode format
constexpr uint32_t kIndex = 1u << 5;
} // namespace support

struct FormatInfo {
    Format format;
    const char* name;
    FormatKind kind;
    uint32_t blockBytes; // bytes per pixel, or per 4x4 block when compressed
    bool hasAlpha;
    bool hasStencil;
    uint32_t supported; // support:: bits; 0 = reported absent
};

// Null for a format the table does not know.
const FormatInfo* FindFormat(Format format);

bool IsCompressed(Format format);
uint32_t BytesPerPixel(Format format); // 0 for compressed and unknown formats
uint32_t FormatSupport(Format format);

// Row pitch of a level: bytes per row, or per row of 4x4 blocks.
uint32_t RowPitch(Format format, uint32_t width);
// Rows (or block rows) of a level.
uint32_t RowCount(Format format, uint32_t height);
uint64_t SurfaceBytes(Format format, uint32_t width, uint32_t height);

} // namespace plat::gfx
