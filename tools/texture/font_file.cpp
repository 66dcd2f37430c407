#include "tools/texture/font_file.h"

#include <fstream>

namespace zoq::tools::texture {
namespace {

void PutU32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

bool WriteBytes(const std::filesystem::path& path, const Bytes& bytes, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

} // namespace

Bytes EncodeKwd(const FontFile& font)
{
    Bytes out(60, 0);
    PutU32(out, font.texture.width);
    PutU32(out, font.texture.height);
    PutU32(out, uint32_t(font.glyphs.size()));
    for (int32_t metric : font.metrics)
        PutU32(out, uint32_t(metric));
    for (const FontGlyphEntry& glyph : font.glyphs) {
        PutU32(out, glyph.code);
        for (int32_t value : {glyph.left, glyph.top, glyph.right, glyph.fourth, glyph.width, glyph.height})
            PutU32(out, uint32_t(value));
    }
    return out;
}

Bytes EncodeDds32(const Picture& picture)
{
    // The DDS layout of an uncompressed A8R8G8B8 picture (fixed by the file format).
    constexpr uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8, kPixelFormat = 0x1000;
    constexpr uint32_t kAlphaPixels = 0x1, kRgb = 0x40, kTexture = 0x1000;
    Bytes out;
    PutU32(out, 0x20534444);   // "DDS "
    PutU32(out, 124);
    PutU32(out, kCaps | kHeight | kWidth | kPitch | kPixelFormat);
    PutU32(out, picture.height);
    PutU32(out, picture.width);
    PutU32(out, picture.width * 4);
    PutU32(out, 0);            // depth
    PutU32(out, 0);            // mip levels
    for (int i = 0; i < 11; ++i)
        PutU32(out, 0);
    PutU32(out, 32);
    PutU32(out, kAlphaPixels | kRgb);
    PutU32(out, 0);            // no four-character code
    PutU32(out, 32);
    PutU32(out, 0x00FF0000);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x000000FF);
    PutU32(out, 0xFF000000);
    PutU32(out, kTexture);
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);        // caps 2 to 4, reserved
    for (uint32_t pixel : picture.argb)
        PutU32(out, pixel);
    return out;
}

bool WriteFont(const std::filesystem::path& base, const FontFile& font, std::string& error)
{
    if (font.texture.argb.size() != size_t(font.texture.width) * font.texture.height || font.texture.width == 0) {
        error = "font texture size does not match its pixels";
        return false;
    }
    std::filesystem::path kwd = base;
    kwd += ".kwd";
    std::filesystem::path dds = base;
    dds += ".dds";
    return WriteBytes(kwd, EncodeKwd(font), error) && WriteBytes(dds, EncodeDds32(font.texture), error);
}

} // namespace zoq::tools::texture
