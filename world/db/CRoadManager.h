// The road nodes: table "Дороги" (road types), type code 8. The objects file's road block fills
// the node array: each node's links become node indices, links to nothing are dropped and every
// link is made two-way.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SRoadType {
    SNameRef96 model;
};

struct SRoadNode {
    static constexpr int kMaxLinks = 10;

    int32_t id;
    float position[3];
    char name[32];
    int32_t links[kMaxLinks]; // node indices
    int32_t linkCount;
    float work; // the path search's distance
};

class CRoadManager : public CZJTypeManager<SRoadType> {
public:
    static constexpr uint32_t kMaxWords = 1000;

    CRoadManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Replaces the node array. More than kMaxLinks links in an entry, or more than kMaxWords
    // words, fails the load; an append beyond kMaxLinks while making links two-way is skipped and
    // logged.
    void LoadObjects() override;

    // Index of the first node with a non-empty name equal to name, -1 when none.
    int FindNodeByName(const char* name) const;
    int NodeCount() const { return m_nodes.Count(); }
    SRoadNode& GetNode(int i) { return m_nodes.At(i); }
    XDynamicArray<SRoadNode>& Nodes() { return m_nodes; }

private:
    XDynamicArray<SRoadNode> m_nodes;
};

extern CRoadManager g_RoadManager;
