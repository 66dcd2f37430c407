// Small numeric helpers: rounding, sign and the damping used for speeds and turn rates.
#pragma once

#include <cstdint>

// Nearest integer, halves away from zero.
int32_t RoundToInt(float f);
// 1 when x > 0, otherwise -1 (0 gives -1).
int32_t SignOf(float x);
// value /= ((|value / scale| + 1) x factor) ^ power, in place. A power of the frame time makes the
// decay independent of the frame rate; a huge scale makes it plain value / factor ^ power.
void DampValue(float& value, float power, float factor, float scale);
