#include "foundation/Rect.h"

#include <algorithm>

namespace {

// 64-bit so that right + 1 and right - 1 cannot overflow.
bool InSpan(int64_t v, int64_t low, int64_t high)
{
    return v >= std::min(low, high + 1) && v <= std::max(high - 1, low);
}

} // namespace

SRect MakeRect(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return { x, y, x + w, y + h };
}

bool PointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return InSpan(x, left, right) && InSpan(y, top, bottom);
}

bool PointInRect(int32_t x, int32_t y, const SRect& rect)
{
    return PointInRect(x, y, rect.left, rect.top, rect.right, rect.bottom);
}
