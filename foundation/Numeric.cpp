#include "foundation/Numeric.h"

#include <cmath>

int32_t RoundToInt(float f)
{
    return f > 0.0f ? int32_t(f + 0.5f) : int32_t(f - 0.5f);
}

int32_t SignOf(float x)
{
    return x > 0.0f ? 1 : -1;
}

void DampValue(float& value, float power, float factor, float scale)
{
    value /= std::pow((std::fabs(value / scale) + 1.0f) * factor, power);
}
