// Procedural pictures for textures, interface pictures and video frames, and text drawn with
// FreeType from DejaVu Sans. Every pattern depends only on its parameters (no clock, no global
// random state), so the same recipe gives the same pixels.
#pragma once

#include "tools/texture/font_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::mkdata {

using texture::Picture;

// solid, gradient, noise, checker, stripes, bricks, glow, ring, cursor, bump.
const std::vector<std::string_view>& PatternNames();

struct PictureParams {
    std::string pattern = "noise";
    uint32_t width = 64;
    uint32_t height = 64;
    uint32_t color = 0xFF808080; // 0xAARRGGBB
    uint32_t color2 = 0xFF202020;
    uint32_t seed = 1;
    int phase = 0; // moves the pattern (video frames)
};

Picture MakePicture(const PictureParams& params);

inline constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Draws a UTF-8 line centred on the picture at the given pixel size, blending colour by coverage.
// The ink stays kTextMargin pixels inside every edge: a line placed across an edge moves inside,
// and one too large for the picture is drawn smaller (down to kMinTextPixels, else an error).
inline constexpr int kTextMargin = 2;
inline constexpr uint32_t kMinTextPixels = 6;
bool DrawText(Picture& picture, std::string_view utf8, uint32_t pixels, uint32_t color, std::string& error);

// The picture as a PNG file's bytes.
bool EncodePng(const Picture& picture, Bytes& out, std::string& error);

// A font of every printable Windows-1251 character at the given pixel size: glyph cells in a
// texture 256 pixels wide (white, coverage in alpha).
bool MakeFont(uint32_t pixels, texture::FontFile& out, std::string& error);

} // namespace zoq::tools::mkdata
