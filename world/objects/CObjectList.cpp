// Stand-in until the world-object classes land.
#include "world/objects/CObjectList.h"

#include "ai/CFerroGroupList.h"

#include "foundation/ErrorLog.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CZJObject.h"

#include <algorithm>
#include <cstring>

CObjectList ObjectList;

CObjectList::~CObjectList()
{
    Clear();
}

void CObjectList::AddObject(CZJObject* object)
{
    object->alive = 1;
    object->id = ++idCounter;
    m_objects.push_back(object);
}

void CObjectList::AddBuilding(CHelperPoint* point)
{
    m_buildings.push_back(point);
}

CZJObject* CObjectList::FindObject(const NameKey32& name, int type) const
{
    for (CZJObject* object : m_objects)
        if (object->alive && object->type == type && std::strncmp(object->name, name.text, 32) == 0)
            return object;
    return nullptr;
}

CZJObject* CObjectList::FindObjectById(uint32_t id) const
{
    for (CZJObject* object : m_objects)
        if (uint32_t(object->id) == id)
            return object;
    return nullptr;
}

void CObjectList::GetObjectList(int type, XDynamicArray<CZJObject*>& out) const
{
    out.Done();
    for (CZJObject* object : m_objects)
        if (object->alive && object->type == type)
            out.Add(object);
}

bool CObjectList::GetRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& hitPoint,
    const CZJObject* skip, CZJObject*& hitObject) const
{
    hitObject = nullptr;
    return rayTest && rayTest(start, direction, length, hitPoint, skip, hitObject);
}

bool CObjectList::GetRayIntersection2(
    const Vec3& origin, const Vec3& direction, float length, Vec3& end, CZJObject*& hitObject) const
{
    (void)origin;
    (void)direction;
    (void)length;
    (void)end;
    hitObject = nullptr;
    return false;
}

void CObjectList::GetRealTimeObjectList(
    const Vec3& centre, float radius, int type, SRealTimeList& result) const
{
    result.count = 0;
    for (CZJObject* object : m_objects) {
        if (result.count >= kRealTimeLimit)
            return;
        Vec3 d;
        Vec3Sub(d, object->frame.position, centre);
        if (object->type == type && object->alive && Vec3LengthSq(d) <= radius * radius)
            result.objects[result.count++] = object;
    }
}

void CObjectList::AddToExtraList(CZJObject* object)
{
    m_extra.push_back(object);
}

CZJObject* CObjectList::FindNetObject(uint32_t networkId) const
{
    for (CZJObject* object : m_extra)
        if (object->networkId == networkId)
            return object;
    return nullptr;
}

void CObjectList::DeleteObject(CZJObject* object)
{
    if (IsDeletePending(object))
        return;
    if (static_cast<int>(m_deleteQueue.size()) >= kDeleteQueue - 1)
        WriteErrorLog("COBjectList::DeleteObject count overflow");
    else
        m_deleteQueue.push_back(object);
    object->alive = 0;
}

bool CObjectList::IsDeletePending(const CZJObject* object) const
{
    return std::find(m_deleteQueue.begin(), m_deleteQueue.end(), object) != m_deleteQueue.end();
}

void CObjectList::Pack()
{
    for (CZJObject* object : m_deleteQueue) {
        if (object->type == 14 || object->type == 21)
            FerroGroupList.OnObjectDeleted(object);
        std::erase(m_extra, object);
        std::erase(m_objects, object);
        delete object;
    }
    m_deleteQueue.clear();
}

void CObjectList::Clear()
{
    for (CZJObject* object : m_objects)
        delete object;
    for (CZJObject* object : m_extra)
        if (std::find(m_objects.begin(), m_objects.end(), object) == m_objects.end())
            delete object;
    for (CHelperPoint* point : m_buildings)
        delete point;
    m_objects.clear();
    m_extra.clear();
    m_deleteQueue.clear();
    m_buildings.clear();
    m_sensors.clear();
    idCounter = 0;
}

CHelperPoint* CObjectList::AddSensor(const char* name)
{
    const auto found
        = std::find_if(m_buildings.begin(), m_buildings.end(), [name](const CHelperPoint* point) {
              return std::strncmp(point->name, name, sizeof point->name) == 0;
          });
    if (found == m_buildings.end())
        return nullptr;
    if (m_sensors.size() < kMaxSensors
        && std::find(m_sensors.begin(), m_sensors.end(), *found) == m_sensors.end())
        m_sensors.push_back(*found);
    return *found;
}
