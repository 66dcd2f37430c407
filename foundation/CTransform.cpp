#include "foundation/CTransform.h"

#include <cmath>

namespace {

Vec3 Column(const Matrix4& m, int c)
{
    return { m.m[c], m.m[4 + c], m.m[8 + c] };
}

void SetColumn(Matrix4& m, int c, const Vec3& v)
{
    m.m[c] = v.x;
    m.m[4 + c] = v.y;
    m.m[8 + c] = v.z;
}

void SetTranslation(Matrix4& m, const Vec3& v)
{
    m.m[12] = v.x;
    m.m[13] = v.y;
    m.m[14] = v.z;
}

Vec3 Translation(const Matrix4& m)
{
    return { m.m[12], m.m[13], m.m[14] };
}

// Below this, a direction counts as vertical and world Z gives no side axis.
constexpr float kVerticalTolerance = 1e-6f;

} // namespace

CTransform::CTransform()
    : position { 0.0f, 0.0f, 0.0f }
{
    AxisSwapMatrix(matrix);
    UpdateAxes();
}

void CTransform::SetPosition(const Vec3& p)
{
    position = p;
    SetTranslation(matrix, p);
}

void CTransform::SetMatrix(const Matrix4& m)
{
    matrix = m;
    position = Translation(m);
}

void CTransform::UpdateMatrix()
{
    SetColumn(matrix, 0, side);
    SetColumn(matrix, 1, up);
    SetColumn(matrix, 2, forward);
    SetTranslation(matrix, position);
    matrix.m[3] = 0.0f;
    matrix.m[7] = 0.0f;
    matrix.m[11] = 0.0f;
    matrix.m[15] = 1.0f;
}

void CTransform::UpdateAxes()
{
    side = Column(matrix, 0);
    up = Column(matrix, 1);
    forward = Column(matrix, 2);
}

void CTransform::SetDirection(const Vec3& d)
{
    UpdateAxes();
    forward = d;
    if (d.z == 1.0f) {
        up = { 0.0f, 1.0f, 0.0f };
        side = { 1.0f, 0.0f, 0.0f };
    } else if (std::fabs(d.x) + std::fabs(d.y) < kVerticalTolerance) {
        side = { 1.0f, 0.0f, 0.0f };
        Vec3Cross(up, forward, side);
    } else {
        Vec3Normalize(side, Vec3 { -d.y, d.x, 0.0f });
        Vec3Cross(up, forward, side);
        Vec3Normalize(up, up);
    }
    UpdateMatrix();
}

void CTransform::RotateZ(float a)
{
    Matrix4 r;
    Matrix4Identity(r);
    r.m[0] = std::cos(-a);
    r.m[1] = -std::sin(-a);
    r.m[4] = std::sin(-a);
    r.m[5] = std::cos(-a);
    Matrix4Multiply(matrix, r, matrix);
}

void CTransform::RotateX(float a)
{
    Matrix4 r;
    Matrix4Identity(r);
    r.m[5] = std::cos(a);
    r.m[6] = -std::sin(a);
    r.m[9] = std::sin(a);
    r.m[10] = std::cos(a);
    Matrix3MultiplyInPlace(matrix, r);
}

void CTransform::Assign(const CTransform& other)
{
    for (int i = 0; i < 12; ++i)
        matrix.m[i] = other.matrix.m[i];
    SetPosition(Translation(other.matrix));
}

void CTransform::CopyFrom(const CTransform& other)
{
    matrix = other.matrix;
    position = other.position;
    forward = other.forward;
    up = other.up;
    side = other.side;
}

void CTransform::SetViewPosition(const Vec3& p)
{
    position = p;
    SetTranslation(matrix,
        { -Vec3Dot(p, Column(matrix, 0)), -Vec3Dot(p, Column(matrix, 1)), -Vec3Dot(p, Column(matrix, 2)) });
}
