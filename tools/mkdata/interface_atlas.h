// Atlas pictures of the interface producer: pieces listed by name with their texel rectangle,
// fill and outline (an atlas source under data/interface/), grids of numbered cells, sheets of
// labelled animation rows, and pictures of one word a row.
#pragma once

#include "tools/mkdata/pictures.h"

#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::mkdata {

struct AtlasPiece {
    std::string name;
    int u = 0;
    int v = 0;
    int width = 0;
    int height = 0;
    uint32_t fill = 0;
    uint32_t outline = 0;
    int line = 0; // in the source
};

// An atlas source: "size W H", "clear U V W H" (texels that stay transparent, painted last) and
// piece lines "<name> U V W H <fill 0xAARRGGBB> <outline 0xAARRGGBB>"; '#' starts a comment.
struct AtlasSource {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<AtlasPiece> pieces;
    std::vector<AtlasPiece> clear;
};

// False with "<where>:<line>: reason" for a line it cannot read; where names the source.
bool ParseAtlasSource(std::string_view text, std::string_view where, AtlasSource& out, std::string& error);
// The pieces filled, outlined and clipped to the picture; the clear rectangles transparent.
Picture PaintAtlas(const AtlasSource& source);
// Cells of w x h, each filled and outlined with its number drawn in it: numbered down the
// columns (n = column x rows + row) or, with byRow, every cell of row r shows r.
bool PaintCells(uint32_t width, uint32_t height, uint32_t cellW, uint32_t cellH, bool byRow, uint32_t fill,
    uint32_t ink, Picture& out, std::string& error);
// A sheet of animation rows: one column of cellW x cellH per word, `rows` rows; the cell of
// row r is filled with fill scaled by (r + 1) / rows, outlined and labelled with its word in ink.
bool PaintLabels(uint32_t cellW, uint32_t cellH, uint32_t rows, const std::vector<std::string>& words,
    uint32_t fill, uint32_t ink, Picture& out, std::string& error);
// One word a row of rowHeight pixels, white on transparent.
bool PaintRows(uint32_t width, uint32_t rowHeight, const std::vector<std::string>& words, Picture& out,
    std::string& error);

} // namespace zoq::tools::mkdata
