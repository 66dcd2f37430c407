// Stand-in until the world-object classes land: the object list reduced to what the network
// client and the object factory use: adding, the network list, finding by network id and the
// deferred deletion.
#pragma once

#include <cstdint>
#include <vector>

class CZJObject;

class CObjectList {
public:
    ~CObjectList();

    // Takes ownership; the object becomes alive.
    void AddObject(CZJObject* object);
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
    // Destroys every object.
    void Clear();

    const std::vector<CZJObject*>& NetList() const { return m_extra; }

private:
    static constexpr int kDeleteQueue = 500;

    std::vector<CZJObject*> m_objects;
    std::vector<CZJObject*> m_extra;
    std::vector<CZJObject*> m_deleteQueue;
};

extern CObjectList ObjectList;
