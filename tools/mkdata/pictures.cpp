#include "tools/mkdata/pictures.h"

#include "platform/win/text.h"
#include "tools/texture/image_files.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace zoq::tools::mkdata {
namespace {

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// A value in [0, 1) for a lattice point.
float Lattice(uint32_t seed, int x, int y)
{
    return float(Hash(seed * 0x9E3779B9u ^ Hash(uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u)) >> 8)
        / float(1 << 24);
}

// Smooth value noise over a lattice of `cell` pixels, wrapping at the picture's sides.
float ValueNoise(uint32_t seed, float x, float y, int cell, int wrapX, int wrapY)
{
    const float fx = x / float(cell);
    const float fy = y / float(cell);
    const int x0 = int(std::floor(fx));
    const int y0 = int(std::floor(fy));
    const float tx = fx - float(x0);
    const float ty = fy - float(y0);
    const float sx = tx * tx * (3 - 2 * tx);
    const float sy = ty * ty * (3 - 2 * ty);
    auto at = [&](int xi, int yi) {
        const int cx = std::max(wrapX / cell, 1);
        const int cy = std::max(wrapY / cell, 1);
        return Lattice(seed, ((xi % cx) + cx) % cx, ((yi % cy) + cy) % cy);
    };
    const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

uint32_t Channel(uint32_t c, int shift)
{
    return (c >> shift) & 0xFF;
}

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float v = float(Channel(a, shift)) + (float(Channel(b, shift)) - float(Channel(a, shift))) * t;
        out |= uint32_t(std::lround(v)) << shift;
    }
    return out;
}

uint32_t WithAlpha(uint32_t c, float alpha)
{
    const uint32_t a = uint32_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * float(Channel(c, 24))));
    return (c & 0x00FFFFFFu) | (a << 24);
}

// Inside the arrow of a mouse cursor whose tip is at the top left: the triangle (0, 0),
// (0, 0.85), (0.6, 0.6) of a square of `size` pixels.
bool InArrow(float x, float y, float size)
{
    const float u = x / size;
    const float v = y / size;
    auto side
        = [&](float ax, float ay, float bx, float by) { return (bx - ax) * (v - ay) - (by - ay) * (u - ax); };
    const float d1 = side(0, 0, 0, 0.85f);
    const float d2 = side(0, 0.85f, 0.6f, 0.6f);
    const float d3 = side(0.6f, 0.6f, 0, 0);
    return (d1 <= 0 && d2 <= 0 && d3 <= 0) || (d1 >= 0 && d2 >= 0 && d3 >= 0);
}

using Painter = uint32_t (*)(const PictureParams& params, uint32_t x, uint32_t y);

uint32_t PaintSolid(const PictureParams& s, uint32_t, uint32_t)
{
    return s.color;
}

uint32_t PaintGradient(const PictureParams& s, uint32_t, uint32_t y)
{
    return Mix(s.color, s.color2, float(y) / float(std::max(s.height - 1, 1u)));
}

uint32_t PaintNoise(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float px = float(x + uint32_t(s.phase));
    const float n = 0.55f * ValueNoise(s.seed, px, float(y), 16, int(s.width), int(s.height))
        + 0.3f * ValueNoise(s.seed + 1, px, float(y), 8, int(s.width), int(s.height))
        + 0.15f * ValueNoise(s.seed + 2, px, float(y), 4, int(s.width), int(s.height));
    return Mix(s.color2, s.color, n);
}

uint32_t PaintChecker(const PictureParams& s, uint32_t x, uint32_t y)
{
    const uint32_t cell = std::max(s.width / 8, 1u);
    return (((x + uint32_t(s.phase)) / cell + y / cell) & 1) ? s.color : s.color2;
}

uint32_t PaintStripes(const PictureParams& s, uint32_t x, uint32_t y)
{
    const uint32_t band = std::max(s.height / 8, 1u);
    return (((y + x / 4 + uint32_t(s.phase)) / band) & 1) ? s.color : s.color2;
}

uint32_t PaintBricks(const PictureParams& s, uint32_t x, uint32_t y)
{
    const uint32_t h = std::max(s.height / 8, 2u);
    const uint32_t w = h * 2;
    const uint32_t row = y / h;
    const uint32_t shifted = x + (row & 1) * (w / 2);
    const bool mortar = y % h == 0 || shifted % w == 0;
    const float shade = 0.8f + 0.2f * Lattice(s.seed, int(shifted / w), int(row));
    return mortar ? s.color2 : Mix(s.color2, s.color, shade);
}

// Distance from the centre, 0 at the centre and 1 at the nearer side.
float Radius(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float dx = (float(x) + 0.5f - float(s.width) * 0.5f) / (float(s.width) * 0.5f);
    const float dy = (float(y) + 0.5f - float(s.height) * 0.5f) / (float(s.height) * 0.5f);
    return std::sqrt(dx * dx + dy * dy);
}

uint32_t PaintGlow(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float r = Radius(s, x, y);
    const float a = std::pow(std::max(0.0f, 1.0f - r), 1.5f);
    return WithAlpha(Mix(s.color2, s.color, a), a);
}

uint32_t PaintRing(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float r = Radius(s, x, y);
    const float a = std::max(0.0f, 1.0f - std::abs(r - 0.7f) * 6.0f);
    const bool cross
        = (std::abs(int(x) - int(s.width / 2)) <= 0 || std::abs(int(y) - int(s.height / 2)) <= 0) && r < 0.5f;
    return WithAlpha(s.color, cross ? 1.0f : a);
}

uint32_t PaintCursor(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float size = float(std::min(s.width, s.height));
    const float fx = float(x) + 0.5f;
    const float fy = float(y) + 0.5f;
    if (!InArrow(fx, fy, size))
        return 0;
    const bool inner = InArrow(fx - 1.5f, fy - 2.5f, size - 4.0f);
    return inner ? s.color : s.color2;
}

// An arrow pointing up, outlined in color2.
uint32_t PaintArrow(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float u = (float(x) + 0.5f) / float(s.width) - 0.5f;
    const float v = (float(y) + 0.5f) / float(s.height);
    const auto inside = [&](float margin) {
        const float half = 0.45f * v - margin;
        return v > 0.05f + margin && v < 0.95f - margin && std::abs(u) < half;
    };
    if (!inside(0.0f))
        return 0;
    return inside(0.08f) ? s.color : s.color2;
}

uint32_t PaintBump(const PictureParams& s, uint32_t x, uint32_t y)
{
    const float n = ValueNoise(s.seed, float(x), float(y), 8, int(s.width), int(s.height));
    const uint32_t h = uint32_t(std::lround(n * 255.0f));
    return 0xFF000000u | h << 16 | h << 8 | h;
}

// The normals of the bump heights as a normal map: 128 + 127 n per channel, x red, y green, z blue.
uint32_t PaintNormals(const PictureParams& s, uint32_t x, uint32_t y)
{
    auto h = [&](int dx, int dy) {
        return ValueNoise(s.seed, float(int(x) + dx), float(int(y) + dy), 8, int(s.width), int(s.height));
    };
    constexpr float kRelief = 4.0f;
    const float nx = (h(-1, 0) - h(1, 0)) * kRelief;
    const float ny = (h(0, -1) - h(0, 1)) * kRelief;
    const float length = std::sqrt(nx * nx + ny * ny + 1.0f);
    auto part = [](float v) { return uint32_t(std::lround(128.0f + 127.0f * v)); };
    return 0xFF000000u | part(nx / length) << 16 | part(ny / length) << 8 | part(1.0f / length);
}

struct PatternRow {
    std::string_view name;
    Painter paint;
};

constexpr PatternRow kPatterns[] = {
    { "solid", PaintSolid },
    { "gradient", PaintGradient },
    { "noise", PaintNoise },
    { "checker", PaintChecker },
    { "stripes", PaintStripes },
    { "bricks", PaintBricks },
    { "glow", PaintGlow },
    { "ring", PaintRing },
    { "cursor", PaintCursor },
    { "arrow", PaintArrow },
    { "bump", PaintBump },
    { "normals", PaintNormals },
};

// One FreeType face for the time of a call.
class Face {
public:
    Face(uint32_t pixels, std::string& error)
    {
        if (FT_Init_FreeType(&m_library) != 0) {
            m_library = nullptr;
            error = "FreeType cannot start";
            return;
        }
        if (FT_New_Face(m_library, kFontFile, 0, &m_face) != 0) {
            m_face = nullptr;
            error = std::string(kFontFile) + ": cannot load the font";
            return;
        }
        if (FT_Set_Pixel_Sizes(m_face, 0, pixels) != 0) {
            error = "FreeType refuses the size " + std::to_string(pixels);
            return;
        }
        m_ready = true;
    }
    ~Face()
    {
        if (m_face)
            FT_Done_Face(m_face);
        if (m_library)
            FT_Done_FreeType(m_library);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    bool Ready() const { return m_ready; }
    FT_Face Get() const { return m_face; }
    // Renders one character; false when FreeType fails.
    bool Render(char32_t cp) { return FT_Load_Char(m_face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0; }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    bool m_ready = false;
};

// Blends a rendered glyph bitmap into the picture with its top left at (x, y).
void Blit(Picture& picture, const FT_Bitmap& bitmap, int x, int y, uint32_t color, bool coverageAsAlpha)
{
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
            const int px = x + int(col);
            const int py = y + int(row);
            if (px < 0 || py < 0 || px >= int(picture.width) || py >= int(picture.height))
                continue;
            const uint8_t coverage = bitmap.buffer[int(row) * bitmap.pitch + int(col)];
            uint32_t& pixel = picture.argb[size_t(py) * picture.width + size_t(px)];
            if (coverageAsAlpha)
                pixel = (color & 0x00FFFFFFu) | uint32_t(std::max<uint32_t>(coverage, pixel >> 24)) << 24;
            else
                pixel = Mix(pixel, color | 0xFF000000u, float(coverage) / 255.0f) | (pixel & 0xFF000000u);
        }
    }
}

} // namespace

const std::vector<std::string_view>& PatternNames()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        for (const PatternRow& row : kPatterns)
            out.push_back(row.name);
        return out;
    }();
    return names;
}

Picture MakePicture(const PictureParams& params)
{
    Painter paint = PaintSolid;
    for (const PatternRow& row : kPatterns) {
        if (row.name == params.pattern)
            paint = row.paint;
    }
    Picture picture;
    picture.width = params.width;
    picture.height = params.height;
    picture.argb.resize(size_t(params.width) * params.height);
    for (uint32_t y = 0; y < params.height; ++y) {
        for (uint32_t x = 0; x < params.width; ++x)
            picture.argb[size_t(y) * params.width + x] = paint(params, x, y);
    }
    return picture;
}

bool DrawText(Picture& picture, std::string_view utf8, uint32_t pixels, uint32_t color, std::string& error)
{
    std::vector<char32_t> text;
    for (size_t pos = 0; pos < utf8.size();)
        text.push_back(plat::win::DecodeUtf8(utf8, pos));
    const int width = int(picture.width);
    const int height = int(picture.height);
    for (uint32_t size = pixels;;) {
        Face face(size, error);
        if (!face.Ready())
            return false;
        // The inked box, x from the pen's start and y down from the baseline.
        int advance = 0;
        int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
        for (char32_t cp : text) {
            if (!face.Render(cp)) {
                error = "FreeType cannot render a character";
                return false;
            }
            const FT_GlyphSlot glyph = face.Get()->glyph;
            if (glyph->bitmap.width > 0 && glyph->bitmap.rows > 0) {
                left = std::min(left, advance + glyph->bitmap_left);
                right = std::max(right, advance + glyph->bitmap_left + int(glyph->bitmap.width));
                top = std::min(top, -glyph->bitmap_top);
                bottom = std::max(bottom, int(glyph->bitmap.rows) - glyph->bitmap_top);
            }
            advance += int(glyph->advance.x >> 6);
        }
        if (left > right)
            return true; // nothing to ink
        const int inkWidth = right - left;
        const int inkHeight = bottom - top;
        if (inkWidth <= width - 2 * kTextMargin && inkHeight <= height - 2 * kTextMargin) {
            // Centred on the line's advance and the font's line height, then moved inside the frame.
            const FT_Size_Metrics& metrics = face.Get()->size->metrics;
            const int lineHeight = int((metrics.ascender - metrics.descender) >> 6);
            const int pen
                = std::clamp((width - advance) / 2, kTextMargin - left, width - kTextMargin - right);
            const int baseline = std::clamp((height - lineHeight) / 2 + int(metrics.ascender >> 6),
                kTextMargin - top, height - kTextMargin - bottom);
            int x = pen;
            for (char32_t cp : text) {
                face.Render(cp);
                const FT_GlyphSlot glyph = face.Get()->glyph;
                Blit(picture, glyph->bitmap, x + glyph->bitmap_left, baseline - glyph->bitmap_top, color,
                    false);
                x += int(glyph->advance.x >> 6);
            }
            return true;
        }
        if (size <= kMinTextPixels) {
            error = "the text does not fit a " + std::to_string(width) + " x " + std::to_string(height)
                + " picture";
            return false;
        }
        const uint32_t byWidth = uint32_t(int64_t(size) * std::max(width - 2 * kTextMargin, 0) / inkWidth);
        const uint32_t byHeight = uint32_t(int64_t(size) * std::max(height - 2 * kTextMargin, 0) / inkHeight);
        size = std::max(kMinTextPixels, std::min({ size - 1, byWidth, byHeight }));
    }
}

bool MakeFont(uint32_t pixels, texture::FontFile& out, std::string& error)
{
    Face face(pixels, error);
    if (!face.Ready())
        return false;
    const FT_Size_Metrics& metrics = face.Get()->size->metrics;
    const int ascent = int(metrics.ascender >> 6);
    const int descent = int(-metrics.descender >> 6);
    const int lineHeight = std::max(int(metrics.height >> 6), ascent + descent);
    out = texture::FontFile();
    out.metrics[0] = ascent;
    out.metrics[1] = descent;
    out.metrics[2] = lineHeight - ascent;

    // Every printable byte of the code page: 0x20-0x7E and 0x80-0xFF but the unassigned 0x98.
    std::vector<char32_t> characters;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte == 0x7F || byte == 0x98)
            continue;
        characters.push_back(plat::win::Cp1251ToCodePoint(static_cast<unsigned char>(byte)));
    }
    constexpr int kTextureWidth = 256;
    struct Cell {
        int advance;
        int left;
        int width;
    };
    std::vector<Cell> cells;
    for (char32_t cp : characters) {
        if (!face.Render(cp)) {
            error = "FreeType cannot render U+" + std::to_string(uint32_t(cp));
            return false;
        }
        const FT_GlyphSlot glyph = face.Get()->glyph;
        const int advance = int(glyph->advance.x >> 6);
        const int left = std::max(0, int(glyph->bitmap_left));
        cells.push_back({ advance, left, std::max(advance, left + int(glyph->bitmap.width)) });
    }
    // Lay the cells out in rows, one pixel apart.
    int x = 0;
    int y = 0;
    std::vector<std::pair<int, int>> places;
    for (const Cell& cell : cells) {
        if (x + cell.width > kTextureWidth) {
            x = 0;
            y += lineHeight + 1;
        }
        places.emplace_back(x, y);
        x += cell.width + 1;
    }
    uint32_t height = 1;
    while (height < uint32_t(y + lineHeight))
        height <<= 1;
    out.texture.width = kTextureWidth;
    out.texture.height = height;
    out.texture.argb.assign(size_t(kTextureWidth) * height, 0x00FFFFFFu);
    for (size_t i = 0; i < characters.size(); ++i) {
        face.Render(characters[i]);
        const FT_GlyphSlot glyph = face.Get()->glyph;
        const auto [cx, cy] = places[i];
        Blit(out.texture, glyph->bitmap, cx + cells[i].left, cy + ascent - glyph->bitmap_top, 0xFFFFFFFFu,
            true);
        texture::FontGlyphEntry entry;
        entry.code = uint32_t(characters[i]);
        entry.left = cx;
        entry.top = cy;
        entry.right = cx + cells[i].advance;
        entry.fourth = cy + lineHeight;
        entry.width = cells[i].width + 1;
        entry.height = lineHeight + 1;
        out.glyphs.push_back(entry);
    }
    return true;
}

// PNG through the texture tools' writer, which writes a file.
bool EncodePng(const Picture& picture, Bytes& out, std::string& error)
{
    static std::atomic<unsigned> counter { 0 };
    const std::filesystem::path temp = std::filesystem::temp_directory_path()
        / ("zoq-mkdata-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".png");
    texture::Bytes rgba(size_t(picture.width) * picture.height * 4);
    for (size_t i = 0; i < picture.argb.size(); ++i) {
        const uint32_t p = picture.argb[i];
        rgba[4 * i + 0] = uint8_t(p >> 16);
        rgba[4 * i + 1] = uint8_t(p >> 8);
        rgba[4 * i + 2] = uint8_t(p);
        rgba[4 * i + 3] = uint8_t(p >> 24);
    }
    const bool written = texture::WritePng(temp, picture.width, picture.height, rgba, error);
    if (written) {
        std::ifstream in(temp, std::ios::binary);
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return written;
}

} // namespace zoq::tools::mkdata
