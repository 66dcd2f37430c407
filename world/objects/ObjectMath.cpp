#include "world/objects/ObjectMath.h"

#include <algorithm>
#include <cmath>

namespace Math {

bool BoxContains(const float* box, const Vec3& point)
{
    return point.x >= box[0] && point.y >= box[1] && point.z >= box[2] && point.x <= box[3]
        && point.y <= box[4] && point.z <= box[5];
}

bool BoxIsPoint(const float* box)
{
    return box[0] == box[3] && box[1] == box[4] && box[2] == box[5];
}

Vec3 BoxCentre(const float* box)
{
    return { (box[0] + box[3]) * 0.5f, (box[1] + box[4]) * 0.5f, (box[2] + box[5]) * 0.5f };
}

void BoxExpand(const Vec3& point, Vec3& min, Vec3& max)
{
    min = { std::min(min.x, point.x), std::min(min.y, point.y), std::min(min.z, point.z) };
    max = { std::max(max.x, point.x), std::max(max.y, point.y), std::max(max.z, point.z) };
}

uint32_t ScaleColour(uint32_t colour, float factor)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float channel = std::round(float((colour >> shift) & 0xFF) * factor);
        out |= uint32_t(std::clamp(channel, 0.0f, 255.0f)) << shift;
    }
    return out;
}

void DividePower(Vec3& vector, float exponent, float base)
{
    Vec3ScaleInPlace(vector, 1.0f / std::pow(base, exponent));
}

bool InverseMatrix3(const Matrix4& m, Matrix4& out)
{
    const auto a = [&m](int r, int c) { return m.m[r * 4 + c]; };
    float cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
        }
    const float det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
    const float scale = det != 0.0f ? 1.0f / det : 0.0f;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[r * 4 + c] = cof[c][r] * scale; // the adjugate is the transposed cofactors
    return det != 0.0f;
}

Vec3 MakeOrthoBasis(const Vec3& direction)
{
    const Vec3 reference = std::fabs(direction.x) < 1e-5f ? Vec3 { 1, 0, 0 } : Vec3 { 0, 0, 1 };
    Vec3 along, out;
    Vec3Scale(along, direction, Vec3Dot(reference, direction));
    Vec3Sub(out, reference, along);
    Vec3Normalize(out, out);
    return out;
}

namespace {

void SetColumns(Matrix4& out, const Vec3& c0, const Vec3& c1, const Vec3& c2, const Vec3& translation)
{
    const Vec3* columns[3] = { &c0, &c1, &c2 };
    for (int c = 0; c < 3; ++c) {
        out.m[c] = columns[c]->x;
        out.m[4 + c] = columns[c]->y;
        out.m[8 + c] = columns[c]->z;
    }
    out.m[3] = out.m[7] = out.m[11] = 0.0f;
    out.m[12] = translation.x;
    out.m[13] = translation.y;
    out.m[14] = translation.z;
    out.m[15] = 1.0f;
}

} // namespace

void MakeLookMatrix(const Vec3& from, const Vec3& to, Matrix4& out)
{
    const Vec3 z { 0, 0, 1 };
    Vec3 f, u, r;
    Vec3Sub(f, from, to);
    Vec3Normalize(f, f);
    Vec3Scale(u, f, Vec3Dot(f, z));
    Vec3Sub(u, u, z);
    Vec3Normalize(u, u);
    Vec3Cross(r, u, f);
    SetColumns(out, r, u, f, from);
}

void MakeDirectionMatrix(const Vec3& direction, Matrix4& out)
{
    const Vec3 reference = std::fabs(direction.y) >= 0.9999f ? Vec3 { 1, 0, 0 } : Vec3 { 0, 1, 0 };
    Vec3 along, second, first;
    Vec3Scale(along, direction, Vec3Dot(reference, direction));
    Vec3Sub(second, reference, along);
    Vec3Normalize(second, second);
    Vec3Cross(first, second, direction);
    SetColumns(out, first, second, direction, Vec3 { 0, 0, 0 });
}

void RotateFrameZ(CTransform& frame, float angle)
{
    const float c = std::cos(-angle), s = std::sin(-angle);
    float* m = frame.matrix.m;
    for (int r = 0; r < 3; ++r) {
        const float m0 = m[r * 4], m1 = m[r * 4 + 1];
        m[r * 4] = m0 * c + m1 * s;
        m[r * 4 + 1] = -m0 * s + m1 * c;
    }
}

} // namespace Math
