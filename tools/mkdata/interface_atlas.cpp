#include "tools/mkdata/interface_atlas.h"

#include "tools/mkdata/sources.h"

#include <algorithm>
#include <charconv>

namespace zoq::tools::mkdata {
namespace {

bool ReadInt(std::string_view word, int& out)
{
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return ec == std::errc() && end == word.data() + word.size() && out >= 0;
}

bool ReadColour(std::string_view word, uint32_t& out)
{
    if (word.size() != 10 || word.substr(0, 2) != "0x")
        return false;
    const auto [end, ec] = std::from_chars(word.data() + 2, word.data() + word.size(), out, 16);
    return ec == std::errc() && end == word.data() + word.size();
}

void Fill(Picture& picture, int u, int v, int width, int height, uint32_t colour)
{
    for (int y = std::max(v, 0); y < std::min(v + height, int(picture.height)); ++y)
        for (int x = std::max(u, 0); x < std::min(u + width, int(picture.width)); ++x)
            picture.argb[size_t(y) * picture.width + size_t(x)] = colour;
}

void Outline(Picture& picture, int u, int v, int width, int height, uint32_t colour)
{
    Fill(picture, u, v, width, 1, colour);
    Fill(picture, u, v + height - 1, width, 1, colour);
    Fill(picture, u, v, 1, height, colour);
    Fill(picture, u + width - 1, v, 1, height, colour);
}

} // namespace

bool ParseAtlasSource(std::string_view text, std::string_view where, AtlasSource& out, std::string& error)
{
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        line = TrimBlanks(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const std::vector<std::string_view> words = SplitWords(line);
        const auto fail = [&](const char* why) {
            error = std::string(where) + ":" + std::to_string(i + 1) + ": " + why;
            return false;
        };
        int w = 0;
        int h = 0;
        if (words[0] == "size") {
            if (words.size() != 3 || !ReadInt(words[1], w) || !ReadInt(words[2], h) || w == 0 || h == 0)
                return fail("size needs a width and a height");
            out.width = uint32_t(w);
            out.height = uint32_t(h);
            continue;
        }
        AtlasPiece piece;
        piece.line = int(i + 1);
        const bool clear = words[0] == "clear";
        const size_t count = clear ? 5 : 7;
        if (words.size() != count || !ReadInt(words[1], piece.u) || !ReadInt(words[2], piece.v)
            || !ReadInt(words[3], piece.width) || !ReadInt(words[4], piece.height) || piece.width == 0
            || piece.height == 0)
            return fail(
                clear ? "clear needs U V W H" : "a piece needs a name, U V W H, a fill and an outline");
        if (!clear && (!ReadColour(words[5], piece.fill) || !ReadColour(words[6], piece.outline)))
            return fail("colours are written 0xAARRGGBB");
        piece.name = std::string(words[0]);
        (clear ? out.clear : out.pieces).push_back(piece);
    }
    if (out.width == 0) {
        error = std::string(where) + ": no size line";
        return false;
    }
    return true;
}

Picture PaintAtlas(const AtlasSource& source)
{
    Picture picture { source.width, source.height,
        std::vector<uint32_t>(size_t(source.width) * source.height, 0) };
    for (const AtlasPiece& piece : source.pieces) {
        Fill(picture, piece.u, piece.v, piece.width, piece.height, piece.fill);
        Outline(picture, piece.u, piece.v, piece.width, piece.height, piece.outline);
    }
    for (const AtlasPiece& clear : source.clear)
        Fill(picture, clear.u, clear.v, clear.width, clear.height, 0);
    return picture;
}

bool PaintCells(uint32_t width, uint32_t height, uint32_t cellW, uint32_t cellH, bool byRow, uint32_t fill,
    uint32_t ink, Picture& out, std::string& error)
{
    out = { width, height, std::vector<uint32_t>(size_t(width) * height, 0) };
    const uint32_t rows = height / cellH;
    for (uint32_t column = 0; column < width / cellW; ++column) {
        for (uint32_t row = 0; row < rows; ++row) {
            Picture cell { cellW, cellH, std::vector<uint32_t>(size_t(cellW) * cellH, fill) };
            Outline(cell, 0, 0, int(cellW), int(cellH), ink);
            const uint32_t number = byRow ? row : column * rows + row;
            if (!DrawText(cell, std::to_string(number), cellH * 2 / 3, ink, error))
                return false;
            for (uint32_t y = 0; y < cellH; ++y)
                std::copy_n(&cell.argb[size_t(y) * cellW], cellW,
                    &out.argb[size_t(row * cellH + y) * width + column * cellW]);
        }
    }
    return true;
}

bool PaintLabels(uint32_t cellW, uint32_t cellH, uint32_t rows, const std::vector<std::string>& words,
    uint32_t fill, uint32_t ink, Picture& out, std::string& error)
{
    const uint32_t width = cellW * uint32_t(words.size());
    out = { width, cellH * rows, std::vector<uint32_t>(size_t(width) * cellH * rows, 0) };
    for (uint32_t column = 0; column < words.size(); ++column) {
        for (uint32_t row = 0; row < rows; ++row) {
            uint32_t shade = fill & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                shade |= (((fill >> shift) & 0xFFu) * (row + 1) / rows) << shift;
            Picture cell { cellW, cellH, std::vector<uint32_t>(size_t(cellW) * cellH, shade) };
            Outline(cell, 0, 0, int(cellW), int(cellH), ink);
            if (!words[column].empty() && !DrawText(cell, words[column], cellH / 2, ink, error))
                return false;
            for (uint32_t y = 0; y < cellH; ++y)
                std::copy_n(&cell.argb[size_t(y) * cellW], cellW,
                    &out.argb[size_t(row * cellH + y) * width + column * cellW]);
        }
    }
    return true;
}

bool PaintRows(uint32_t width, uint32_t rowHeight, const std::vector<std::string>& words, Picture& out,
    std::string& error)
{
    out = { width, rowHeight * uint32_t(words.size()),
        std::vector<uint32_t>(size_t(width) * rowHeight * words.size(), 0) };
    for (size_t r = 0; r < words.size(); ++r) {
        Picture row { width, rowHeight, std::vector<uint32_t>(size_t(width) * rowHeight, 0x00FFFFFFu) };
        if (!DrawText(row, words[r], rowHeight * 2 / 3, 0xFFFFFFFFu, error))
            return false;
        std::copy(row.argb.begin(), row.argb.end(), out.argb.begin() + long(r * row.argb.size()));
    }
    return true;
}

} // namespace zoq::tools::mkdata
