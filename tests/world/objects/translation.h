// The matrix that places an object unrotated at p, scaled by s.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"

inline Matrix4 TranslationAt(const Vec3& p, float s = 1.0f)
{
    Matrix4 m;
    Matrix4Identity(m, s);
    m.m[12] = p.x;
    m.m[13] = p.y;
    m.m[14] = p.z;
    return m;
}
