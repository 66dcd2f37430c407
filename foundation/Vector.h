// 3-vectors and the free functions over them. Results go to an output vector (which may be one
// of the inputs) unless the function works in place.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;
};

void Vec3Add(Vec3& out, const Vec3& a, const Vec3& b);
void Vec3Sub(Vec3& out, const Vec3& a, const Vec3& b);
void Vec3Negate(Vec3& out, const Vec3& a);
void Vec3Scale(Vec3& out, const Vec3& a, float s);
// a x (1 / s), as a multiplication.
void Vec3Divide(Vec3& out, const Vec3& a, float s);

void Vec3AddInPlace(Vec3& a, const Vec3& b);
void Vec3SubInPlace(Vec3& a, const Vec3& b);
void Vec3ScaleInPlace(Vec3& a, float s);

float Vec3Length(const Vec3& a);
float Vec3LengthSq(const Vec3& a);
float Vec3Dot(const Vec3& a, const Vec3& b);
// A zero vector stays zero.
void Vec3Normalize(Vec3& out, const Vec3& a);
void Vec3Cross(Vec3& out, const Vec3& a, const Vec3& b);
