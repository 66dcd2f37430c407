// Stand-in until the world-object classes land: the object list reduced to what the network
// client and the object factory use: adding with object ids, the network list, the building list
// of helper points, finding by network id, object id, name and type, the deferred deletion and
// the sensor list. Rays never hit unless a test sets rayTest (the ground ray never does); the area
// query scans every object; releasing the objects' device objects before a device reset does
// nothing; the reflection draw draws nothing (it calls waterTest when a test sets it).
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"

#include <cstdint>
#include <functional>
#include <vector>

class CHelperPoint;
class CZJObject;

class CObjectList {
public:
    ~CObjectList();

    // Takes ownership; the object becomes alive and gets the next object id.
    void AddObject(CZJObject* object);
    // Takes ownership of a helper point.
    void AddBuilding(CHelperPoint* point);
    // The live object of that type whose name equals the key, or null.
    CZJObject* FindObject(const NameKey32& name, int type) const;
    CZJObject* FindObjectById(uint32_t id) const;
    // Every live object of that type.
    void GetObjectList(int type, XDynamicArray<CZJObject*>& out) const;
    // The nearest object on the segment, never skip; the stand-in asks rayTest, else no hit.
    bool GetRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& hitPoint,
        const CZJObject* skip, CZJObject*& hitObject) const;
    // The ground ray of the physics: only non-solid objects of the origin's cell; the stand-in
    // has no object geometry and never hits.
    bool GetRayIntersection2(
        const Vec3& origin, const Vec3& direction, float length, Vec3& end, CZJObject*& hitObject) const;
    // Up to kRealTimeLimit live objects of exactly that type within radius of the centre (a scan
    // of the whole list).
    static constexpr int kRealTimeLimit = 50;
    struct SRealTimeList {
        CZJObject* objects[kRealTimeLimit];
        int32_t count;
    };
    void GetRealTimeObjectList(const Vec3& centre, float radius, int type, SRealTimeList& result) const;
    // Appends to the network list (the caller sets remote and the network id first).
    void AddToExtraList(CZJObject* object);
    // The first network-list object with that id, or null.
    CZJObject* FindNetObject(uint32_t networkId) const;
    // Queues the object for deletion at the next Pack (at most 499 pending, each once) and
    // marks it dead; a full queue logs "COBjectList::DeleteObject count overflow".
    void DeleteObject(CZJObject* object);
    bool IsDeletePending(const CZJObject* object) const;
    // Destroys the queued objects.
    void Pack();
    // Destroys every object and helper point; the id counter restarts at 0.
    void Clear();
    // Draws the objects in view into the water reflection.
    void RenderForWater() const
    {
        if (waterTest)
            waterTest();
    }
    // Every live object releases its device objects before a device reset.
    void ReleaseDeviceObjects() { }
    // Registers the named helper point as a sensor, at most 50, each once; the point or null.
    CHelperPoint* AddSensor(const char* name);
    const std::vector<CHelperPoint*>& Sensors() const { return m_sensors; }

    const std::vector<CZJObject*>& NetList() const { return m_extra; }
    const std::vector<CZJObject*>& Objects() const { return m_objects; }
    const std::vector<CHelperPoint*>& Buildings() const { return m_buildings; }

    uint32_t idCounter = 0; // the last object id given

private:
    static constexpr int kDeleteQueue = 500;
    static constexpr size_t kMaxSensors = 50;

    std::vector<CZJObject*> m_objects;
    std::vector<CZJObject*> m_extra;
    std::vector<CZJObject*> m_deleteQueue;
    std::vector<CHelperPoint*> m_buildings;
    std::vector<CHelperPoint*> m_sensors;

public:
    // Test access: what GetRayIntersection answers (the stand-in has no object geometry).
    std::function<bool(const Vec3&, const Vec3&, float, Vec3&, const CZJObject*, CZJObject*&)> rayTest;
    // Test access: what RenderForWater runs.
    std::function<void()> waterTest;
};

extern CObjectList ObjectList;
