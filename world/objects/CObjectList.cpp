// Stand-in until the world-object classes land.
#include "world/objects/CObjectList.h"

#include "foundation/ErrorLog.h"
#include "world/objects/CZJObject.h"

#include <algorithm>

CObjectList ObjectList;

CObjectList::~CObjectList()
{
    Clear();
}

void CObjectList::AddObject(CZJObject* object)
{
    object->alive = 1;
    m_objects.push_back(object);
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
    m_objects.clear();
    m_extra.clear();
    m_deleteQueue.clear();
}
