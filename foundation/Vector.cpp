#include "foundation/Vector.h"

#include <cmath>

void Vec3Add(Vec3& out, const Vec3& a, const Vec3& b)
{
    out = { a.x + b.x, a.y + b.y, a.z + b.z };
}

void Vec3Sub(Vec3& out, const Vec3& a, const Vec3& b)
{
    out = { a.x - b.x, a.y - b.y, a.z - b.z };
}

void Vec3Negate(Vec3& out, const Vec3& a)
{
    out = { -a.x, -a.y, -a.z };
}

void Vec3Scale(Vec3& out, const Vec3& a, float s)
{
    out = { a.x * s, a.y * s, a.z * s };
}

void Vec3Divide(Vec3& out, const Vec3& a, float s)
{
    Vec3Scale(out, a, 1.0f / s);
}

void Vec3AddInPlace(Vec3& a, const Vec3& b)
{
    Vec3Add(a, a, b);
}

void Vec3SubInPlace(Vec3& a, const Vec3& b)
{
    Vec3Sub(a, a, b);
}

void Vec3ScaleInPlace(Vec3& a, float s)
{
    Vec3Scale(a, a, s);
}

float Vec3LengthSq(const Vec3& a)
{
    return a.x * a.x + a.y * a.y + a.z * a.z;
}

float Vec3Length(const Vec3& a)
{
    return std::sqrt(Vec3LengthSq(a));
}

float Vec3Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void Vec3Normalize(Vec3& out, const Vec3& a)
{
    float length = Vec3Length(a);
    if (length == 0.0f) {
        out = { 0.0f, 0.0f, 0.0f };
        return;
    }
    out = { a.x / length, a.y / length, a.z / length };
}

void Vec3Cross(Vec3& out, const Vec3& a, const Vec3& b)
{
    out = { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
