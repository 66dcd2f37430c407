// Font files: the glyph table ".kwd" and its texture, an uncompressed 32-bit ".dds".
// .kwd (little-endian): 60 bytes 0, u32 texture width, u32 texture height, u32 glyph count,
// 14 x i32 metrics (0 + 2 is the line height), then 28 bytes a glyph: code, left, top, right,
// a fourth coordinate, cell width + 1, cell height + 1.
#pragma once

#include "tools/texture/tm_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::texture {

struct FontGlyphEntry {
    uint32_t code = 0; // UTF-16 character
    int32_t left = 0; // cell in the texture
    int32_t top = 0;
    int32_t right = 0; // right - left is the advance
    int32_t fourth = 0;
    int32_t width = 0; // cell width + 1
    int32_t height = 0; // cell height + 1
};

struct FontFile {
    std::array<int32_t, 14> metrics {};
    std::vector<FontGlyphEntry> glyphs;
    Picture texture; // its size is the texture size the .kwd names
};

Bytes EncodeKwd(const FontFile& font);
Bytes EncodeDds32(const Picture& picture);
// Writes base + ".kwd" and base + ".dds".
bool WriteFont(const std::filesystem::path& base, const FontFile& font, std::string& error);

} // namespace zoq::tools::texture
