// 32-bit ARGB colours (alpha in the top byte): blends and conversion to floats.
#pragma once

#include <cstdint>

// Per red, green and blue: b x (1 - t) + a x t in f32, truncated, clamped to 0..255; alpha 255.
uint32_t BlendColor(uint32_t a, uint32_t b, float t);
// (red, green, blue, alpha), each channel x 1/255.
void ColorToFloat4(uint32_t colour, float out[4]);
// Per red, green and blue: (a x b) >> 8 of the two channels; alpha 0.
uint32_t ColorMul(uint32_t a, uint32_t b);
// Per red, green and blue: (channel x k) >> 8, k from 0 to 256; alpha 0.
uint32_t ColorScale(uint32_t colour, uint32_t k);
