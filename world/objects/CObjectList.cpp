#include "world/objects/CObjectList.h"

#include "ai/CFerroGroupList.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "script/CZJScriptManager.h"
#include "world/objects/CCamera.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CPhysics.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cstring>

CObjectList ObjectList;

namespace {

constexpr double kNetSilence = 2.0;
constexpr float kMinSensorRadius = 100.0f;

template <class T, int N> int IndexIn(const XFixedArrayList<T, N>& list, const T& value)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list.At(i) == value)
            return i;
    return -1;
}

bool SameName(const char* name, const NameKey32& key)
{
    return std::strncmp(name, key.text, sizeof key.text) == 0;
}

// The step of a remote copy catches up by its lag while it has one.
float StepOf(const CDynamicObject* object)
{
    if (object->remote && !object->owned && object->netLag != 0.0f)
        return FrameTime * 0.5f + object->netLag;
    return FrameTime;
}

} // namespace

CObjectList::CObjectList() = default;

CObjectList::~CObjectList()
{
    // At exit the location may be destroyed already: the objects go without unfiling.
    for (CZJObject* object : m_objects) {
        m_objects.Remove(object);
        delete object;
    }
}

void CObjectList::AddObject(CZJObject* object)
{
    m_objects.AddTail(object);
    object->alive = 1;
    if (!loading && object->id == 0)
        object->id = ++lastObjectId;
    else
        lastObjectId = std::max(lastObjectId, object->id);
    if (object->networked)
        object->netNumber = ++netNumberCounter;
    if (object->runs || object->moves)
        m_moving.AddTail(object);
    Location.AddCellObject(object->frame.position, object, true);
}

void CObjectList::AddToExtraList(CZJObject* object)
{
    object->remote = 1;
    if (m_extra.IndexOf(object) < 0)
        m_extra.AddTail(object);
}

void CObjectList::AddHelperPoint(CHelperPoint* point)
{
    m_helperPoints.AddTail(point);
}

int CObjectList::AddWatched(CZJObject* object)
{
    if (m_watched.IsFull())
        return kWatched;
    m_watched.Add(object);
    return m_watched.Count() - 1;
}

void CObjectList::DeleteObject(CZJObject* object)
{
    if (object->deferredDelete && !IsDeletePending(object)) {
        if (m_deleteQueue.Count() < kDeleteQueue - 1)
            m_deleteQueue.Add(object);
        else
            WriteErrorLog("COBjectList::DeleteObject count overflow");
    }
    object->alive = 0;
}

bool CObjectList::IsDeletePending(const CZJObject* object) const
{
    for (int i = 0; i < m_deleteQueue.Count(); ++i)
        if (m_deleteQueue.At(i) == object)
            return true;
    return false;
}

void CObjectList::NotifyDelete(CZJObject* object)
{
    for (CZJObject* listener : m_objects)
        if (listener->notifyOnDelete)
            listener->ProcessDelete(object);
    if (object->type == CZJObject::kGlider || object->type == CZJObject::kThing)
        FerroGroupList.OnObjectDeleted(object);
}

void CObjectList::Clear()
{
    Location.ClearCellObjects();
    m_moving.Clear();
    m_extra.Clear();
    m_sensors.Clear();
    m_watched.Clear();
    m_deleteQueue.Clear();
    visibleList.Clear();
    notVisibleList.Clear();
    preDrawList.Clear();
    for (CZJObject* object : m_objects) {
        m_objects.Remove(object);
        delete object;
    }
    m_helperPoints.Clear();
    std::fill(std::begin(overflowLogged), std::end(overflowLogged), uint8_t(0));
    lastObjectId = 0;
    netNumberCounter = 0;
    networkIdCounter = 0;
}

CZJObject* CObjectList::FindObjectById(int32_t id) const
{
    for (CZJObject* object : m_objects)
        if (object->id == id)
            return object;
    return nullptr;
}

CZJObject* CObjectList::FindObjectByNetId(int32_t netNumber) const
{
    for (CZJObject* object : m_objects)
        if (object->netNumber == netNumber)
            return object;
    return nullptr;
}

CZJObject* CObjectList::FindObject(const NameKey32& name, int type) const
{
    for (CZJObject* object : m_objects)
        if ((type == 0 || object->type == type) && SameName(object->name, name))
            return object;
    return nullptr;
}

CHelperPoint* CObjectList::FindHelperPoint(const NameKey32& name) const
{
    for (CHelperPoint* point : m_helperPoints)
        if (SameName(point->name, name))
            return point;
    return nullptr;
}

CZJObject* CObjectList::FindNetObject(uint32_t networkId) const
{
    for (CZJObject* object : m_extra)
        if (object->networkId == networkId)
            return object;
    return nullptr;
}

CHelperPoint* CObjectList::GetRandomSysObj(int kind) const
{
    int count = 0;
    for (const CHelperPoint* point : m_helperPoints)
        count += point->kind == kind;
    if (count == 0)
        return nullptr;
    int r = Rand() % count;
    for (CHelperPoint* point : m_helperPoints)
        if (point->kind == kind && r-- == 0)
            return point;
    return nullptr;
}

void CObjectList::GetObjectList(int type, XDynamicArray<CZJObject*>& out) const
{
    out.Done();
    for (CZJObject* object : m_objects)
        if (object->alive && (type == 0 || object->type == type))
            out.Add(object);
}

CHelperPoint* CObjectList::AddSensor(const NameKey32& name)
{
    CHelperPoint* point = FindHelperPoint(name);
    if (point && !IsSensor(point) && !m_sensors.IsFull())
        m_sensors.Add(point);
    return point;
}

bool CObjectList::IsSensor(const CHelperPoint* point) const
{
    for (int i = 0; i < m_sensors.Count(); ++i)
        if (m_sensors.At(i) == point)
            return true;
    return false;
}

void CObjectList::CheckSysObjectSensors()
{
    if (!PlayerObject)
        return;
    for (int i = 0; i < m_sensors.Count(); ++i) {
        CHelperPoint* point = m_sensors.At(i);
        const float radius = std::max(point->radius, kMinSensorRadius);
        Vec3 d;
        Vec3Sub(d, point->transform.position, ViewFrame.position);
        if (Vec3LengthSq(d) > radius * radius)
            continue;
        m_sensors.RemoveAt(i);
        if (g_pScriptManager)
            g_pScriptManager->ZJRunScript(point->name, 1, nullptr);
        if (AppEvents)
            AppEvents->UpdateJournal(1);
        return;
    }
}

void CObjectList::Run()
{
    ZJ_TRACE("CObjectList::Run");
    CZJObject* camera = CameraObject;
    if (camera)
        camera->Run();
    for (CZJObject* object : m_moving)
        if (object != camera && object->runs && object->alive)
            object->Run();
    AnomalyLevel = -1;
    for (CHelperPoint* point : m_helperPoints)
        point->Run(FrameTime);
}

void CObjectList::PreMove()
{
    ZJ_TRACE("CObjectList::PreMove");
    if (CameraObject)
        Physics.PreMove(CameraObject, CameraTimeStep);
    for (CZJObject* object : m_moving) {
        auto* mover = dynamic_cast<CDynamicObject*>(object);
        if (mover && mover != CameraObject && object->moves && object->alive)
            Physics.PreMove(mover, StepOf(mover));
    }
}

void CObjectList::Move()
{
    ZJ_TRACE("CObjectList::Move");
    if (CameraObject)
        Physics.Move(CameraObject, CameraTimeStep);
    for (CZJObject* object : m_moving) {
        auto* mover = dynamic_cast<CDynamicObject*>(object);
        if (!mover || mover == CameraObject || !object->moves || !object->alive)
            continue;
        Physics.Move(mover, StepOf(mover));
        if (mover->remote && !mover->owned)
            mover->netLag = 0.0f;
    }
}

void CObjectList::Pack(bool full)
{
    ZJ_TRACE("CObjectList::Pack()");
    // Announcements may queue further deletions; they are announced in the same pass.
    for (int i = 0; i < m_deleteQueue.Count(); ++i)
        NotifyDelete(m_deleteQueue.At(i));
    int announced = m_deleteQueue.Count();

    for (int i = 0; i < m_watched.Count();)
        if (m_watched.At(i)->alive)
            ++i;
        else
            m_watched.RemoveAt(i);

    bool destroyed = false;
    for (CZJObject* object : full ? m_objects : m_moving) {
        if (object->alive)
            continue;
        const int queued = IndexIn(m_deleteQueue, object);
        const bool wasAnnounced = queued >= 0 && queued < announced;
        if (queued >= 0) {
            m_deleteQueue.RemoveAt(queued);
            if (wasAnnounced)
                --announced;
        }
        Destroy(object, object->deferredDelete && !wasAnnounced);
        destroyed = true;
    }

    // What the destructors queued after the announcements stays for the next pass.
    while (announced-- > 0)
        m_deleteQueue.RemoveAt(0);

    if (destroyed) {
        visibleList.Clear();
        notVisibleList.Clear();
        preDrawList.Clear();
    }
}

void CObjectList::Destroy(CZJObject* object, bool announce)
{
    if (announce)
        NotifyDelete(object);
    Location.DeleteCellObject(object->frame.position, object);
    m_objects.Remove(object);
    m_moving.Remove(object);
    m_extra.Remove(object);
    if (const int watched = IndexIn(m_watched, object); watched >= 0)
        m_watched.RemoveAt(watched);
    delete object;
}

void CObjectList::CheckNetDead()
{
    ZJ_TRACE("CObjectList::CheckNetDead");
    for (CZJObject* object : m_extra) {
        if (object->owned)
            continue;
        if (GameClock - kNetSilence > object->lastNetTime || !object->alive) {
            DeleteObject(object);
            return;
        }
    }
}

void CObjectList::ReleaseDeviceObjects()
{
    for (CZJObject* object : m_objects)
        object->ReleaseDeviceObjects();
}
