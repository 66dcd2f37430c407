// Stand-in until the visibility/collision/ray passes land: rays hit only what rayTest says; the radius
// query scans the main list.
#include "world/objects/CObjectList.h"

#include "world/objects/CZJObject.h"

bool CObjectList::GetRayIntersection(const Vec3& origin, const Vec3& direction, float length, Vec3& end,
    const CZJObject* ignore, CZJObject*& hit)
{
    hit = nullptr;
    if (rayTest)
        return rayTest(origin, direction, length, end, ignore, hit);
    end = Vec3 { origin.x + direction.x * length, origin.y + direction.y * length,
        origin.z + direction.z * length };
    return false;
}

bool CObjectList::GetRayIntersection2(
    const Vec3& origin, const Vec3& direction, float length, Vec3& end, CZJObject*& hit)
{
    (void)origin;
    (void)direction;
    (void)length;
    (void)end;
    hit = nullptr;
    return false;
}

float CObjectList::GetRayIntersectionPolygon(
    const Vec3& origin, const Vec3& direction, float length, CZJObject* object, bool flag)
{
    (void)origin;
    (void)direction;
    (void)length;
    (void)object;
    (void)flag;
    return -1.0f;
}

float CObjectList::RaySphere(
    const Vec3& origin, const Vec3& direction, float length, CZJObject* object, bool flag)
{
    (void)origin;
    (void)direction;
    (void)length;
    (void)object;
    (void)flag;
    return -1.0f;
}

void CObjectList::GetRealTimeObjectList(
    const Vec3& centre, float radius, int type, SObjectQuery& result) const
{
    result.count = 0;
    for (CZJObject* object : m_objects) {
        if (result.count >= SObjectQuery::kLimit)
            return;
        Vec3 d;
        Vec3Sub(d, object->frame.position, centre);
        if (object->type == type && object->alive && Vec3LengthSq(d) <= radius * radius)
            result.objects[result.count++] = object;
    }
}
