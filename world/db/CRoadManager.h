// The road nodes: table "Дороги" (road types), type code 8. The objects file's road block fills
// the node array: each node's links become node indices, links to nothing are dropped and every
// link is made two-way.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

#include <vector>

struct SRoadType {
    SNameRef96 model;
};

struct SNearestNodes {
    static constexpr int kMax = 20;
    int32_t nodes[kMax];
    int32_t count;
};

struct SRoadNode {
    static constexpr int kMaxLinks = 10;

    int32_t id;
    float position[3];
    char name[32];
    int32_t links[kMaxLinks]; // node indices
    int32_t linkCount;
    float work; // the path search's distance: 0 unreached
};
static_assert(sizeof(SRoadNode) == 96);

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
    // The node record, null for -1; any other index outside the array throws XRangeError.
    SRoadNode* GetNode(int i) { return i == -1 ? nullptr : &m_nodes.At(i); }
    XDynamicArray<SRoadNode>& Nodes() { return m_nodes; }

    // The shortest path from start to goal over the links as stored (start first, goal last),
    // written into path; 0 with path untouched when there is none, when start equals goal or
    // when a wave outgrows kFrontierSize. An empty node array or a start outside it throws.
    uint8_t GetNearestPath(int start, int goal, XDynamicArray<int32_t>& path);
    // The nodes within radius of position, nearest first: at most 20, chosen among the first 52
    // in range by index.
    void FindNearestNode(const float* position, float radius, SNearestNodes& result);

    static constexpr int kFrontierSize = 256;

private:
    XDynamicArray<SRoadNode> m_nodes;
    std::vector<int32_t> m_previous; // the path search's predecessor of each node
    std::vector<uint32_t> m_queued; // the wave in whose next frontier each node stands
};

extern CRoadManager g_RoadManager;
