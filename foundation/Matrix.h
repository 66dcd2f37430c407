// 4x4 matrices in the row-vector convention: a point is a row vector multiplied on the left, rows
// 0-2 hold the rotation (and scale), row 3 the translation. Element (r, c) is m[4 * r + c].
// Every function may write into one of its inputs.
#pragma once

#include "foundation/Vector.h"

struct Matrix4 {
    float m[16];
};

// (x, y, z, 1) times the matrix, first three results; no division by w.
void TransformCoord(Vec3& out, const Vec3& v, const Matrix4& m);
// (x, y, z) times the 3x3 part.
void TransformNormal(Vec3& out, const Vec3& v, const Matrix4& m);
// The 3x3 part times (x, y, z) as a column: component i is row i dotted with v. For a rotation
// this is the inverse of TransformNormal.
void TransformVector3(Vec3& out, const Matrix4& m, const Vec3& v);

// Diagonal s, s, s, 1; all else 0.
void Matrix4Identity(Matrix4& m, float s = 1.0f);
// Rotation about X (or Z) written onto a diagonal matrix, keeping its scale: (1,1) = d11 cos a,
// (1,2) = -d11 sin a, (2,1) = d22 sin a, (2,2) = d22 cos a; RotateZ likewise on rows and columns 0, 1.
void Matrix4RotateX(Matrix4& m, float a);
void Matrix4RotateZ(Matrix4& m, float a);
void Matrix4Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
// The 3x3 part of a becomes a x b (3x3); the rest of a is kept.
void Matrix3MultiplyInPlace(Matrix4& a, const Matrix4& b);
// The 3x3 part becomes a x b (3x3); every other element 0.
void MultiplyRotation3(Matrix4& out, const Matrix4& a, const Matrix4& b);
// The 3x3 cofactor matrix (each row the cross product of the other two, in cyclic order); every
// other element 0. For a rotation it is the rotation itself.
void Matrix3Cofactor(Matrix4& out, const Matrix4& src);
// Scales each of the three rotation rows to unit length; a zero row stays zero.
void NormalizeMatrixRows(Matrix4& m);
// Rows (-1,0,0,0), (0,0,1,0), (0,1,0,0), (0,0,0,1): negates x and exchanges y and z.
void AxisSwapMatrix(Matrix4& out);
// A frame at eye looking away from target: column 0 side, column 1 up, column 2 forward =
// normalise(eye - target); translation row = eye. Column 3 of out is left as it was.
void BuildLookAtMatrix(Matrix4& out, const Vec3& eye, const Vec3& target, const Vec3& up);
