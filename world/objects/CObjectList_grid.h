// The object list's view of the cell grid: the cell of a point as the collision and query passes
// take it, and a walk of one cell's objects that owns its position. Used by the visibility,
// collision and query files of CObjectList only.
#pragma once

#include "foundation/Vector.h"
#include "foundation/XList.h"
#include "world/objects/CZJObject.h"
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
