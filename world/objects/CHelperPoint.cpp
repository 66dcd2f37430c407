#include "world/objects/CHelperPoint.h"

#include "foundation/Vector.h"

#include <cstdio>
#include <cstring>

CHelperPoint::CHelperPoint(const float* placement, const char* text, int32_t pointKind)
    : kind(pointKind)
{
    Matrix4 m;
    std::memcpy(m.m, placement, sizeof m.m);
    transform.SetMatrix(m);
    radius = Vec3Length(Vec3 { m.m[0], m.m[1], m.m[2] }) * 100.0f;
    std::snprintf(name, sizeof name, "%s", text ? text : "");
}
