#include "tools/texture/font_file.h"

#include <fstream>

namespace zoq::tools::texture {
namespace {

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
    AppendLE<uint32_t>(out, font.texture.width);
    AppendLE<uint32_t>(out, font.texture.height);
    AppendLE<uint32_t>(out, uint32_t(font.glyphs.size()));
    for (int32_t metric : font.metrics)
        AppendLE<uint32_t>(out, uint32_t(metric));
    for (const FontGlyphEntry& glyph : font.glyphs) {
        AppendLE<uint32_t>(out, glyph.code);
        for (int32_t value : { glyph.left, glyph.top, glyph.right, glyph.fourth, glyph.width, glyph.height })
            AppendLE<uint32_t>(out, uint32_t(value));
    }
    return out;
}

Bytes EncodeDds32(const Picture& picture)
{
    // The DDS layout of an uncompressed A8R8G8B8 picture (fixed by the file format).
    constexpr uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8, kPixelFormat = 0x1000;
    constexpr uint32_t kAlphaPixels = 0x1, kRgb = 0x40, kTexture = 0x1000;
    Bytes out;
    AppendLE<uint32_t>(out, 0x20534444); // "DDS "
    AppendLE<uint32_t>(out, 124);
    AppendLE<uint32_t>(out, kCaps | kHeight | kWidth | kPitch | kPixelFormat);
    AppendLE<uint32_t>(out, picture.height);
    AppendLE<uint32_t>(out, picture.width);
    AppendLE<uint32_t>(out, picture.width * 4);
    AppendLE<uint32_t>(out, 0); // depth
    AppendLE<uint32_t>(out, 0); // mip levels
    for (int i = 0; i < 11; ++i)
        AppendLE<uint32_t>(out, 0);
    AppendLE<uint32_t>(out, 32);
    AppendLE<uint32_t>(out, kAlphaPixels | kRgb);
    AppendLE<uint32_t>(out, 0); // no four-character code
    AppendLE<uint32_t>(out, 32);
    AppendLE<uint32_t>(out, 0x00FF0000);
    AppendLE<uint32_t>(out, 0x0000FF00);
    AppendLE<uint32_t>(out, 0x000000FF);
    AppendLE<uint32_t>(out, 0xFF000000);
    AppendLE<uint32_t>(out, kTexture);
    for (int i = 0; i < 4; ++i)
        AppendLE<uint32_t>(out, 0); // caps 2 to 4, reserved
    for (uint32_t pixel : picture.argb)
        AppendLE<uint32_t>(out, pixel);
    return out;
}

bool WriteFont(const std::filesystem::path& base, const FontFile& font, std::string& error)
{
    if (font.texture.argb.size() != size_t(font.texture.width) * font.texture.height
        || font.texture.width == 0) {
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
