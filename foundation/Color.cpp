#include "foundation/Color.h"

#include <initializer_list>

namespace {

float Channel(uint32_t colour, int shift)
{
    return float((colour >> shift) & 0xFFu);
}

uint32_t ClampChannel(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return uint32_t(value);
}

} // namespace

uint32_t BlendColor(uint32_t a, uint32_t b, float t)
{
    uint32_t result = 0xFF000000u;
    for (int shift : { 16, 8, 0 })
        result |= ClampChannel(Channel(b, shift) * (1.0f - t) + Channel(a, shift) * t) << shift;
    return result;
}

void ColorToFloat4(uint32_t colour, float out[4])
{
    constexpr float kScale = 0.003921569f;
    out[0] = Channel(colour, 16) * kScale;
    out[1] = Channel(colour, 8) * kScale;
    out[2] = Channel(colour, 0) * kScale;
    out[3] = Channel(colour, 24) * kScale;
}

uint32_t ColorMul(uint32_t a, uint32_t b)
{
    uint32_t result = 0;
    for (int shift : { 16, 8, 0 })
        result |= ((((a >> shift) & 0xFFu) * ((b >> shift) & 0xFFu)) >> 8) << shift;
    return result;
}

uint32_t ColorScale(uint32_t colour, uint32_t k)
{
    uint32_t result = 0;
    for (int shift : { 16, 8, 0 })
        result |= ((((colour >> shift) & 0xFFu) * k) >> 8) << shift;
    return result;
}
