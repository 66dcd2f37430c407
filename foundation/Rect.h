// Integer screen rectangles and the hit test every control uses.
#pragma once

#include <cstdint>

struct SRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// (x, y, x + w, y + h).
SRect MakeRect(int32_t x, int32_t y, int32_t w, int32_t h);

// x within min(left, right + 1) .. max(right - 1, left), bounds included, and y likewise: for
// left < right the columns left .. right - 1 count, and a rectangle of width 0 still holds its
// own column. Reversed rectangles work too.
bool PointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool PointInRect(int32_t x, int32_t y, const SRect& rect);
