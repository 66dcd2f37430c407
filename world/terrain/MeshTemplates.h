// The 33 triangulations of a 2 x 2-step block of 3 x 3 points (point i = row x 3 + column).
// Templates 0 to 30: a fan around the centre over the corners and the edge middles that stay,
// the mask's bits leaving out top (1), left (2), centre (4, which stays), right (8) and bottom
// (16) middles. Template 31: all five left out, split along corners 2-6; 32: along 0-8. Every
// triangle is counter-clockwise seen from above.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct SMeshTemplate {
    int count; // triangles
    uint8_t triangles[8][3];
};

const std::array<SMeshTemplate, 33>& MeshTemplates();

// The template of a block: mask of left-out middles, and the block's row + column.
inline int TemplateIndex(int mask, int blockRow, int blockColumn)
{
    if (mask != 31)
        return mask;
    return ((blockRow + blockColumn) & 1) == 0 ? 32 : 31;
}
