// Small geometric helpers of the object classes, their drawing and their physics. Matrices are
// row-major with the translation in the fourth row, as CTransform keeps them. A box is six floats:
// min x, y, z, then max x, y, z.
#pragma once

#include "foundation/CTransform.h"
#include "foundation/Matrix.h"
#include "foundation/Vector.h"

#include <cstdint>

namespace Math {

// min <= point <= max on all three axes, bounds included.
bool BoxContains(const float* box, const Vec3& point);
// max equals min on all three axes.
bool BoxIsPoint(const float* box);
Vec3 BoxCentre(const float* box);
// Widens min and max per axis to take in the point.
void BoxExpand(const Vec3& point, Vec3& min, Vec3& max);

// R, G and B (bits 16-23, 8-15, 0-7) times factor, rounded to nearest and limited to 0..255;
// the alpha byte of the result is 0.
uint32_t ScaleColour(uint32_t colour, float factor);
// vector /= base ^ exponent.
void DividePower(Vec3& vector, float exponent, float base);

// The inverse of the 3x3 part of m by cofactors, written as the 3x3 part of out (the rest of out
// is left). A determinant of 0 writes a zero 3x3 part and returns false.
bool InverseMatrix3(const Matrix4& m, Matrix4& out);
// A unit vector at right angles to the unit direction: reference (1, 0, 0) when |x| < 1e-5,
// else (0, 0, 1), less its part along the direction, normalised.
Vec3 MakeOrthoBasis(const Vec3& direction);
// Columns r, u, f with f = normalise(from - to), u = normalise((f . Z) f - Z), r = u x f;
// translation from.
void MakeLookMatrix(const Vec3& from, const Vec3& to, Matrix4& out);
// Column 2 the direction, column 1 the reference Y (X when |direction y| >= 0.9999) made
// perpendicular and normalised, column 0 their cross product; translation 0.
void MakeDirectionMatrix(const Vec3& direction, Matrix4& out);
// 3x3 part = 3x3 part x Rz(-angle), Rz(t) rows (cos t, -sin t, 0), (sin t, cos t, 0), (0, 0, 1):
// a roll about the frame's forward axis. Translation and axis fields are left alone.
void RotateFrameZ(CTransform& frame, float angle);

} // namespace Math
