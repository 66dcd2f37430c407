// CObjectList: the one container of every world object of the current location. It gives the
// objects their ids, keeps them in lists by role (all, moving, network, helper points, watched,
// sensors), runs the per-frame passes, deletes objects in a deferred way so that no pass meets a
// freed object, finds them, draws them, collides them, answers ray and radius queries over the
// cell grid and writes the object section of a save game. One global, ObjectList; main thread.
// Its aspects live in CObjectList_<aspect>.cpp.
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XFixedArray.h"
#include "foundation/XList.h"
#include "world/objects/CHelperPoint.h"

#include <cstdint>

class CViewFrame;
class CZJObject;
class XMemBuffer;

// The answer of a radius query: at most 50 objects.
struct SObjectQuery {
    static constexpr int kLimit = 50;
    CZJObject* objects[kLimit];
    int32_t count;
};

class CObjectList {
public:
    static constexpr int kSensors = 50;
    static constexpr int kWatched = 100;
    static constexpr int kVisible = 3000;
    static constexpr int kNotVisible = 5000;
    static constexpr int kPreDraw = 1000;
    static constexpr int kDeleteQueue = 500;
    static constexpr int kRayCells = 100;

    // A pre-draw entry's sort key (the second value is never read).
    struct SPreDrawKey {
        float key;
        float spare;
    };
    // The lists whose overflow is logged once per run.
    enum EOverflow {
        kOverflowVisible,
        kOverflowNotVisible,
        kOverflowPreDraw,
        kOverflowRayCells,
        kOverflowKinds
    };

    CObjectList();
    // Destroys the objects left, leaving the cell grid alone (the location may be gone at exit).
    ~CObjectList();
    CObjectList(const CObjectList&) = delete;
    CObjectList& operator=(const CObjectList&) = delete;

    // Takes ownership: main list, alive, object id (outside loading an id-less object gets last + 1;
    // otherwise the last id rises to the object's), a net number when networked, the moving list
    // when it runs or moves, filed in the cell grid with the spread flag.
    void AddObject(CZJObject* object);
    // Appends to the network list (once) and sets remote; the caller gives the network id.
    void AddToExtraList(CZJObject* object);
    // Takes ownership of a helper point.
    void AddHelperPoint(CHelperPoint* point);
    // Registers a watched object (long view range); its index, or 100 when full.
    int AddWatched(CZJObject* object);
    // Marks the object dead; a deferredDelete object is queued (once) for Pack's announcement
    // while fewer than 499 are queued, else "COBjectList::DeleteObject count overflow" is logged.
    void DeleteObject(CZJObject* object);
    bool IsDeletePending(const CZJObject* object) const;
    // ProcessDelete to every notifyOnDelete object of the main list in order, then the machine
    // groups for gliders and things.
    void NotifyDelete(CZJObject* object);
    // Destroys every object without notices, releases the helper points, empties the cell lists
    // and every list, and zeroes the counters.
    void Clear();
    // The next network id of an object this machine publishes.
    uint32_t NextNetworkId() { return ++networkIdCounter; }

    // Finds (dead objects not yet destroyed are found too).
    CZJObject* FindObjectById(int32_t id) const;
    CZJObject* FindObjectByNetId(int32_t netNumber) const;
    // Exact name; type 0 matches any type.
    CZJObject* FindObject(const NameKey32& name, int type) const;
    CHelperPoint* FindHelperPoint(const NameKey32& name) const;
    CZJObject* FindNetObject(uint32_t networkId) const;
    // A random helper point of that kind (9: start points), null when none.
    CHelperPoint* GetRandomSysObj(int kind) const;
    // Every alive object of that type (0: every alive object), in list order.
    void GetObjectList(int type, XDynamicArray<CZJObject*>& out) const;
    // Up to 50 alive objects of exactly that type within radius of centre, from the cell grid.
    void GetRealTimeObjectList(const Vec3& centre, float radius, int type, SObjectQuery& result) const;

    // Per-frame passes, in the game's order.
    void CheckSysObjectSensors();
    void Run();
    void CheckVisibility(bool preDraw);
    void Render();
    void RenderForWater();
    void PreMove();
    void CheckCollision();
    void Move();
    // Announces the queued deletions and destroys the dead objects of the moving list (full: of
    // the main list).
    void Pack(bool full = false);
    // Retires at most one silent or dead network copy.
    void CheckNetDead();
    void ReleaseDeviceObjects();
    // Stores far and near in the frame, sets the renderer's projection from the fields of view
    // (degrees) and keeps a copy of it in the frame.
    void SetViewParams(CViewFrame& frame, float farPlane, float nearPlane, float fovX, float fovY);

    // Registers the named helper point as a sensor (at most 50, each once); the point or null.
    CHelperPoint* AddSensor(const NameKey32& name);

    // Save-game section 4.
    void SaveGame(XMemBuffer& stream) const;
    // Reads section 4 into the loaded location's objects; a short or unmatched record ends it.
    void LoadGame(XMemBuffer& stream);

    // Collision responders: true on a hit.
    bool CheckSphereCollisionStatic(CZJObject* mover, CZJObject* other, float dt);
    bool CheckSphereCollisionMove(CZJObject* mover, CZJObject* other, float dt);
    bool CheckPolygonCollision(CZJObject* mover, CZJObject* other, float dt);
    bool CheckCollisionPoint(CZJObject* mover, CZJObject* other, float dt);

    // Rays. The nearest object on the segment, never ignore; end is the hit point or the full end.
    bool GetRayIntersection(const Vec3& origin, const Vec3& direction, float length, Vec3& end,
        const CZJObject* ignore, CZJObject*& hit);
    // Only the origin's cell and its objects without solid (the physics' ground ray).
    bool GetRayIntersection2(
        const Vec3& origin, const Vec3& direction, float length, Vec3& end, CZJObject*& hit);
    // Distance along the ray to the object's front-facing triangles, or -1.
    float GetRayIntersectionPolygon(
        const Vec3& origin, const Vec3& direction, float length, CZJObject* object, bool flag);
    // Distance along the ray to the object's sphere (0 with flag when it passes through), or -1.
    float RaySphere(const Vec3& origin, const Vec3& direction, float length, CZJObject* object, bool flag);

    // The lists; each walk keeps its own position.
    const XList<CZJObject>& Objects() const { return m_objects; }
    const XList<CZJObject>& MovingObjects() const { return m_moving; }
    const XList<CZJObject>& ExtraList() const { return m_extra; }
    const XList<CHelperPoint>& HelperPoints() const { return m_helperPoints; }
    const XFixedArrayList<CHelperPoint*, kSensors>& Sensors() const { return m_sensors; }
    const XFixedArrayList<CZJObject*, kWatched>& Watched() const { return m_watched; }
    int DeleteQueueCount() const { return m_deleteQueue.Count(); }

    // Draw lists, rebuilt by CheckVisibility.
    XFixedArrayList<CZJObject*, kVisible> visibleList;
    XFixedArrayList<CZJObject*, kNotVisible> notVisibleList;
    XFixedArrayList<CZJObject*, kPreDraw> preDrawList;
    XFixedArray<SPreDrawKey, kPreDraw> preDrawKeys;
    XFixedArray<int32_t, kPreDraw> preDrawOrder;
    // Set when a list's overflow was logged; Clear resets them.
    uint8_t overflowLogged[kOverflowKinds] = {};

    int32_t lastObjectId = 0;
    int32_t netNumberCounter = 0;
    uint32_t networkIdCounter = 0;
    uint8_t loading = 0; // reading the objects file: ids stay as given
    uint8_t reflection = 0; // set while the reflection is drawn
    float viewRangeFactor = 1.0f;

private:
    // Destroys a dead object of the scanned list: unfiled, unlinked everywhere, announced when it
    // was not, deleted.
    void Destroy(CZJObject* object, bool announce);
    bool IsSensor(const CHelperPoint* point) const;

    XFixedArrayList<CHelperPoint*, kSensors> m_sensors;
    XList<CHelperPoint> m_helperPoints { true };
    XList<CZJObject> m_objects;
    XFixedArrayList<CZJObject*, kWatched> m_watched;
    XFixedArrayList<CZJObject*, kDeleteQueue> m_deleteQueue;
    XList<CZJObject> m_moving;
    XList<CZJObject> m_extra;
};

extern CObjectList ObjectList;
