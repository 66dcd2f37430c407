// Value forms of the 3-vector operations that the group code writes as expressions.
#pragma once

#include "foundation/Vector.h"

inline Vec3 operator+(const Vec3& a, const Vec3& b)
{
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}
inline Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
inline Vec3 operator*(const Vec3& a, float s)
{
    return { a.x * s, a.y * s, a.z * s };
}
inline Vec3 NodePosition(const float* p)
{
    return { p[0], p[1], p[2] };
}
