#include "foundation/Matrix.h"

#include <cmath>

namespace {

Vec3 Row(const Matrix4& m, int r)
{
    return { m.m[4 * r], m.m[4 * r + 1], m.m[4 * r + 2] };
}

void SetRow(Matrix4& m, int r, const Vec3& v)
{
    m.m[4 * r] = v.x;
    m.m[4 * r + 1] = v.y;
    m.m[4 * r + 2] = v.z;
}

// The 3x3 product a x b.
void Multiply3(float out[9], const Matrix4& a, const Matrix4& b)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out[3 * r + c] = a.m[4 * r] * b.m[c] + a.m[4 * r + 1] * b.m[4 + c] + a.m[4 * r + 2] * b.m[8 + c];
    }
}

} // namespace

void TransformCoord(Vec3& out, const Vec3& v, const Matrix4& m)
{
    const float* e = m.m;
    out = { v.x * e[0] + v.y * e[4] + v.z * e[8] + e[12], v.x * e[1] + v.y * e[5] + v.z * e[9] + e[13],
        v.x * e[2] + v.y * e[6] + v.z * e[10] + e[14] };
}

void TransformNormal(Vec3& out, const Vec3& v, const Matrix4& m)
{
    const float* e = m.m;
    out = { v.x * e[0] + v.y * e[4] + v.z * e[8], v.x * e[1] + v.y * e[5] + v.z * e[9],
        v.x * e[2] + v.y * e[6] + v.z * e[10] };
}

void TransformVector3(Vec3& out, const Matrix4& m, const Vec3& v)
{
    out = { Vec3Dot(Row(m, 0), v), Vec3Dot(Row(m, 1), v), Vec3Dot(Row(m, 2), v) };
}

void Matrix4Identity(Matrix4& m, float s)
{
    m = {};
    m.m[0] = s;
    m.m[5] = s;
    m.m[10] = s;
    m.m[15] = 1.0f;
}

void Matrix4RotateX(Matrix4& m, float a)
{
    float d11 = m.m[5];
    float d22 = m.m[10];
    float c = std::cos(a);
    float s = std::sin(a);
    m.m[5] = d11 * c;
    m.m[6] = -d11 * s;
    m.m[9] = d22 * s;
    m.m[10] = d22 * c;
}

void Matrix4RotateZ(Matrix4& m, float a)
{
    float d00 = m.m[0];
    float d11 = m.m[5];
    float c = std::cos(a);
    float s = std::sin(a);
    m.m[0] = d00 * c;
    m.m[1] = -d00 * s;
    m.m[4] = d11 * s;
    m.m[5] = d11 * c;
}

void Matrix4Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    Matrix4 product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            product.m[4 * r + c] = a.m[4 * r] * b.m[c] + a.m[4 * r + 1] * b.m[4 + c]
                + a.m[4 * r + 2] * b.m[8 + c] + a.m[4 * r + 3] * b.m[12 + c];
        }
    }
    out = product;
}

void Matrix3MultiplyInPlace(Matrix4& a, const Matrix4& b)
{
    float product[9];
    Multiply3(product, a, b);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            a.m[4 * r + c] = product[3 * r + c];
    }
}

void MultiplyRotation3(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    float product[9];
    Multiply3(product, a, b);
    out = {};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out.m[4 * r + c] = product[3 * r + c];
    }
}

void Matrix3Cofactor(Matrix4& out, const Matrix4& src)
{
    Vec3 rows[3] = { Row(src, 0), Row(src, 1), Row(src, 2) };
    out = {};
    for (int r = 0; r < 3; ++r) {
        Vec3 cofactor;
        Vec3Cross(cofactor, rows[(r + 1) % 3], rows[(r + 2) % 3]);
        SetRow(out, r, cofactor);
    }
}

void NormalizeMatrixRows(Matrix4& m)
{
    for (int r = 0; r < 3; ++r) {
        Vec3 row = Row(m, r);
        Vec3Normalize(row, row);
        SetRow(m, r, row);
    }
}

void AxisSwapMatrix(Matrix4& out)
{
    out = {};
    out.m[0] = -1.0f;
    out.m[6] = 1.0f;
    out.m[9] = 1.0f;
    out.m[15] = 1.0f;
}

void BuildLookAtMatrix(Matrix4& out, const Vec3& eye, const Vec3& target, const Vec3& up)
{
    Vec3 forward;
    Vec3Sub(forward, eye, target);
    Vec3Normalize(forward, forward);

    Vec3 upAxis;
    Vec3Scale(upAxis, forward, Vec3Dot(up, forward));
    Vec3Sub(upAxis, up, upAxis);
    Vec3Normalize(upAxis, upAxis);

    Vec3 side;
    Vec3Cross(side, upAxis, forward);

    Matrix4 axes {};
    const Vec3 columns[3] = { side, upAxis, forward };
    for (int c = 0; c < 3; ++c) {
        axes.m[c] = columns[c].x;
        axes.m[4 + c] = columns[c].y;
        axes.m[8 + c] = columns[c].z;
    }
    Matrix4 cofactor;
    Matrix3Cofactor(cofactor, axes);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out.m[4 * r + c] = cofactor.m[4 * r + c];
    }
    out.m[12] = eye.x;
    out.m[13] = eye.y;
    out.m[14] = eye.z;
}
