// The object list's spatial queries over the cell grid: rays against spheres and model polygons
// (aiming, line of sight, the physics' ground contact) and the radius query.
#include "world/objects/CObjectList.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "world/objects/CObjectList_local.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace ObjectGeometry;
using ObjectGrid::IsFinite;

constexpr float kNoHit = 10000000.0f;
constexpr float kSampleStep = 0.1f * 32.0f;
// No grid is wider than 64 cells of 640 units: farther samples never meet a cell.
constexpr float kLongestSampled = 64.0f * 640.0f * 1.5f;

// A cell strictly inside the grid: row 0 and column 0 are met only as the origin's own cell.
bool StrictlyInside(int column, int row)
{
    return column > 0 && row > 0 && column < Location.blocksX && row < Location.blocksY;
}

// The nearest hit distance: end and length take it; the full length when nothing was hit.
void EndOfRay(const Vec3& origin, const Vec3& dir, float length, float best, Vec3& end)
{
    const float reach = std::min(length, best);
    end = Add(origin, Scale(dir, reach));
}

} // namespace

float CObjectList::RaySphere(const Vec3& origin, const Vec3& dir, float length, CZJObject* object, bool flag)
{
    const Vec3 w = Sub(origin, object->frame.position);
    const float tc = -Dot(w, dir);
    const Vec3 c = Add(w, Scale(dir, tc));
    const float r2 = object->radius * object->radius;
    if (!(Dot(c, c) <= 1.01f * r2))
        return -1.0f;
    if (flag)
        return 0.0f;
    const float disc = tc * tc - Dot(w, w) + r2;
    const float s = disc > 0.0f ? std::sqrt(disc) : 0.0f;
    const float limit = length * 1.01f;
    for (const float t : { tc - s, tc + s })
        if (t > -0.1f && t < limit)
            return t;
    return -1.0f;
}

float CObjectList::GetRayIntersectionPolygon(
    const Vec3& origin, const Vec3& dir, float length, CZJObject* object, bool flag)
{
    if (RaySphere(origin, dir, length, object, flag) < 0.0f)
        return -1.0f;
    const XDynamicArray<SCollisionTriangle>* shape = object->GetModel();
    SModelSpace space {};
    if (!shape || !MakeModelSpace(object->frame.matrix, object->frame.position, space))
        return -1.0f;
    const Vec3 o = space.Point(origin);
    const Vec3 segment = space.Vector(Scale(dir, length));
    const float reach = Length(segment);
    if (!(reach > 0.0f))
        return -1.0f;
    const Vec3 e = Scale(segment, 1.0f / reach);
    float best = 1.0001f;
    bool hit = false;
    for (const SCollisionTriangle& tri : *shape) {
        const Vec3 toCentre = Sub(tri.centre, o);
        const float along = Dot(toCentre, e);
        if (Dot(toCentre, toCentre) - along * along > tri.size)
            continue;
        const float h = Dot(Sub(o, tri.p1), tri.normal);
        if (!(h > -0.001f && h < reach))
            continue;
        // Only from the front: the ray enters against the normal.
        const float dn = Dot(segment, tri.normal);
        if (!(dn < -0.001f))
            continue;
        const float t = -h / dn;
        if (!(t > -0.0001f && t < best) || !InTriangle(tri, Add(o, Scale(segment, t))))
            continue;
        best = t;
        hit = true;
    }
    return hit ? best * length : -1.0f;
}

bool CObjectList::GetRayIntersection(
    const Vec3& origin, const Vec3& dir, float length, Vec3& end, const CZJObject* ignore, CZJObject*& hit)
{
    ZJ_TRACE("CObjectList::GetRayIntersection");
    hit = nullptr;
    struct SCell {
        int column;
        int row;
    };
    SCell cells[kRayCells];
    int count = 0;
    const auto listed = [&](int column, int row) {
        return std::any_of(cells, cells + count,
            [&](const SCell& cell) { return cell.column == column && cell.row == row; });
    };
    // A full list stops adding: the cells beyond are not searched this time.
    const auto append = [&](int column, int row) {
        if (count < kRayCells) {
            cells[count++] = SCell { column, row };
            return;
        }
        if (!overflowLogged[kOverflowRayCells])
            WriteErrorLog("CObjectList::GetRayIntersection cell list is full");
        overflowLogged[kOverflowRayCells] = 1;
    };
    if (!IsFinite(origin) || !IsFinite(dir) || !(length >= 0.0f)) {
        end = origin;
        return false;
    }

    // The origin's own cell, when it lies in the grid; then the cells of samples along the ray.
    int lastColumn = -1;
    int lastRow = -1;
    if (ObjectGrid::CellOf(origin, lastColumn, lastRow))
        append(lastColumn, lastRow);
    const int samples = int(std::min(length, kLongestSampled) / kSampleStep);
    for (int i = 1; i <= samples; ++i) {
        const Vec3 sample = Add(origin, Scale(dir, float(i) * kSampleStep));
        int column = 0;
        int row = 0;
        if (!ObjectGrid::CellIndex(sample.x, column) || !ObjectGrid::CellIndex(sample.y, row))
            continue;
        if ((column == lastColumn && row == lastRow) || !StrictlyInside(column, row))
            continue;
        append(column, row);
        lastColumn = column;
        lastRow = row;
    }
    const int along = count;
    for (int i = 0; i < along; ++i) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int column = cells[i].column + dx;
                const int row = cells[i].row + dy;
                if ((dx != 0 || dy != 0) && StrictlyInside(column, row) && !listed(column, row))
                    append(column, row);
            }
        }
    }

    float best = kNoHit;
    for (int i = 0; i < count; ++i) {
        const ObjectGrid::CellWalk walk(Location.Cell(cells[i].column, cells[i].row).objects);
        for (size_t j = 0; j < walk.Count(); ++j) {
            CZJObject* object = walk[j];
            if (!object->hitByRays || !object->alive || object == ignore || !IsFinite(object->frame.position))
                continue;
            const float distance = object->solid
                ? RaySphere(origin, dir, length, object, false)
                : GetRayIntersectionPolygon(origin, dir, length, object, false);
            if (distance > 0.0f && distance < best) {
                best = distance;
                hit = object;
            }
        }
    }
    EndOfRay(origin, dir, length, best, end);
    return hit != nullptr;
}

bool CObjectList::GetRayIntersection2(
    const Vec3& origin, const Vec3& dir, float length, Vec3& end, CZJObject*& hit)
{
    ZJ_TRACE("CObjectList::GetRayIntersection2");
    hit = nullptr;
    int column = 0;
    int row = 0;
    if (!IsFinite(dir) || !ObjectGrid::CellOf(origin, column, row))
        return false;
    float best = kNoHit;
    const ObjectGrid::CellWalk walk(Location.Cell(column, row).objects);
    for (size_t i = 0; i < walk.Count(); ++i) {
        CZJObject* object = walk[i];
        if (!object->hitByRays || !object->alive || object->solid || !IsFinite(object->frame.position))
            continue;
        const float distance = GetRayIntersectionPolygon(origin, dir, length, object, false);
        if (distance > 0.0f && distance < best) {
            best = distance;
            hit = object;
        }
    }
    EndOfRay(origin, dir, length, best, end);
    return hit != nullptr;
}

void CObjectList::GetRealTimeObjectList(
    const Vec3& centre, float radius, int type, SObjectQuery& result) const
{
    ZJ_TRACE("CObjectList::GetRealTimeObjectList");
    result.count = 0;
    if (!IsFinite(centre) || !(radius >= 0.0f) || Location.blocksX <= 0 || Location.blocksY <= 0)
        return;
    // Every cell that the square centre +- radius touches, by the rule the grid files objects by.
    const auto cellRange = [](float low, float high, int blocks, int& first, int& last) {
        first = int(std::clamp(std::floor(low * 0.1f / 64.0f), 0.0f, float(blocks - 1)));
        last = int(std::clamp(std::floor(high * 0.1f / 64.0f), 0.0f, float(blocks - 1)));
    };
    int firstColumn = 0;
    int lastColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
    cellRange(centre.x - radius, centre.x + radius, Location.blocksX, firstColumn, lastColumn);
    cellRange(centre.y - radius, centre.y + radius, Location.blocksY, firstRow, lastRow);
    const float r2 = radius * radius;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const ObjectGrid::CellWalk walk(Location.Cell(column, row).objects);
            for (size_t i = 0; i < walk.Count(); ++i) {
                CZJObject* object = walk[i];
                if (object->type != type || !object->alive)
                    continue;
                const Vec3 d = Sub(object->frame.position, centre);
                // A spread object is filed in several cells but listed once.
                if (!(Dot(d, d) <= r2)
                    || std::find(result.objects, result.objects + result.count, object)
                        != result.objects + result.count)
                    continue;
                result.objects[result.count++] = object;
                if (result.count >= SObjectQuery::kLimit)
                    return;
            }
        }
    }
}
