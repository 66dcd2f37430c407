// What the object list's visibility, collision and query files share: the cell of a point as
// those passes take it, a walk of one cell's objects that owns its position, and the vector and
// triangle helpers of the tests that run in a polygon object's model space.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "foundation/XList.h"
#include "render/CComplexObject.h"
#include "world/objects/CZJObject.h"
#include "world/objects/ObjectMath.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace ObjectGrid {

// The cell index of a coordinate: its grid step (x 0.1) to the nearest integer, halves away from
// zero, divided by 64 towards minus infinity. False for a coordinate that is not finite or lies
// so far off that no grid reaches it.
inline bool CellIndex(float world, int& index)
{
    const float step = std::round(world * 0.1f);
    if (!(std::fabs(step) < 1.0e6f))
        return false;
    index = int(step) >> 6;
    return true;
}

// The cell of a point; false when it lies outside the location's grid.
inline bool CellOf(const Vec3& point, int& column, int& row)
{
    return CellIndex(point.x, column) && CellIndex(point.y, row) && Location.InMap(column, row);
}

inline bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The objects filed in one cell, copied when the walk starts: a visit may file, move or unfile
// objects and run other walks (nested walks stack their copies above this one) without moving
// this walk's position. No object is destroyed during a pass, so the copies stay valid.
class CellWalk {
public:
    explicit CellWalk(const XList<CZJObject>& list)
        : m_base(Stack().size())
    {
        for (CZJObject* object : list)
            Stack().push_back(object);
        m_end = Stack().size();
    }
    ~CellWalk() { Stack().resize(m_base); }
    CellWalk(const CellWalk&) = delete;
    CellWalk& operator=(const CellWalk&) = delete;

    size_t Count() const { return m_end - m_base; }
    CZJObject* operator[](size_t i) const { return Stack()[m_base + i]; }

private:
    static std::vector<CZJObject*>& Stack()
    {
        static std::vector<CZJObject*> stack;
        return stack;
    }
    size_t m_base;
    size_t m_end;
};

} // namespace ObjectGrid

namespace ObjectGeometry {

inline Vec3 Add(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}
inline Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x - b.x, a.y - b.y, a.z - b.z };
}
inline Vec3 Scale(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}
inline float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline float Length(const Vec3& a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
// A zero vector stays zero.
inline Vec3 Unit(const Vec3& a)
{
    const float length = Length(a);
    return length > 0.0f ? Scale(a, 1.0f / length) : a;
}

// An object's frame and its inverse: world points and vectors into model space and back.
struct SModelSpace {
    Matrix4 toWorld; // the frame's rotation and scale (row vectors)
    Matrix4 toModel; // its inverse
    Vec3 origin; // the frame's position
    float scale; // length of the first row of toModel: world lengths into model lengths

    Vec3 Point(const Vec3& world) const
    {
        Vec3 out {};
        TransformNormal(out, Sub(world, origin), toModel);
        return out;
    }
    Vec3 Vector(const Vec3& world) const
    {
        Vec3 out {};
        TransformNormal(out, world, toModel);
        return out;
    }
    Vec3 WorldPoint(const Vec3& model) const
    {
        Vec3 out {};
        TransformNormal(out, model, toWorld);
        return Add(out, origin);
    }
    Vec3 WorldNormal(const Vec3& model) const
    {
        Vec3 out {};
        TransformNormal(out, model, toWorld);
        return Unit(out);
    }
};

// False for a frame whose rotation cannot be inverted (or is not finite).
inline bool MakeModelSpace(const Matrix4& frame, const Vec3& position, SModelSpace& space)
{
    space.toWorld = frame;
    space.toModel = frame;
    if (!Math::InverseMatrix3(frame, space.toModel))
        return false;
    const float* m = space.toModel.m;
    space.scale = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    space.origin = position;
    return std::isfinite(space.scale);
}

// The sign of dot(cross(edge, normal), x - start); exactly 0 counts as negative.
inline bool EdgeSide(const Vec3& start, const Vec3& end, const Vec3& normal, const Vec3& x)
{
    return Dot(Cross(Sub(end, start), normal), Sub(x, start)) > 0.0f;
}

// c lies inside the triangle when, for each edge, c is on the same side as the opposite vertex.
inline bool InTriangle(const SCollisionTriangle& tri, const Vec3& c)
{
    const Vec3& n = tri.normal;
    return EdgeSide(tri.p0, tri.p1, n, c) == EdgeSide(tri.p0, tri.p1, n, tri.p2)
        && EdgeSide(tri.p1, tri.p2, n, c) == EdgeSide(tri.p1, tri.p2, n, tri.p0)
        && EdgeSide(tri.p2, tri.p0, n, c) == EdgeSide(tri.p2, tri.p0, n, tri.p1);
}

// The point of the triangle's edges nearest to c when it lies within radius r of c.
inline bool NearEdge(const SCollisionTriangle& tri, const Vec3& c, float r, Vec3& touch)
{
    const Vec3* corners[3][2] = { { &tri.p0, &tri.p1 }, { &tri.p1, &tri.p2 }, { &tri.p2, &tri.p0 } };
    float best = r * r * 1.001f;
    for (const auto& edge : corners) {
        const Vec3 along = Sub(*edge[1], *edge[0]);
        const float length2 = Dot(along, along);
        float f = length2 > 0.0f ? Dot(Sub(c, *edge[0]), along) / length2 : 0.0f;
        f = std::fmin(std::fmax(f, 0.0f), 1.0f);
        const Vec3 point = Add(*edge[0], Scale(along, f));
        const float d2 = Dot(Sub(c, point), Sub(c, point));
        if (d2 < best) {
            best = d2;
            touch = point;
        }
    }
    return best < r * r * 1.0001f;
}

} // namespace ObjectGeometry
