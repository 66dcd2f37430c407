// The road manager's queries: the shortest path between two nodes and the nodes near a point.
#include "world/db/CRoadManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr float kStartDistance = 1e-5f;
constexpr int kMaxInRange = 52;

float Distance(const SRoadNode& a, const SRoadNode& b)
{
    const float dx = b.position[0] - a.position[0];
    const float dy = b.position[1] - a.position[1];
    const float dz = b.position[2] - a.position[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

struct Frontier {
    int32_t count = 0;
    std::array<int32_t, CRoadManager::kFrontierSize> nodes;
};

} // namespace

uint8_t CRoadManager::GetNearestPath(int start, int goal, XDynamicArray<int32_t>& path)
{
    ZJ_TRACE("CRoadManager::GetNearestPath");
    m_nodes.At(start);
    const int n = m_nodes.Count();
    for (SRoadNode& node : m_nodes)
        node.work = 0.0f;
    m_previous.assign(size_t(n), -1);
    m_queued.assign(size_t(n), 0);
    m_nodes.At(start).work = kStartDistance;

    Frontier frontiers[2];
    frontiers[0].nodes[0] = start;
    frontiers[0].count = 1;
    float best = 1e11f;
    bool found = false;
    uint32_t wave = 0;
    int current = 0;
    for (;;) {
        ++wave;
        const Frontier& from = frontiers[current];
        Frontier& to = frontiers[current ^ 1];
        to.count = 0;
        float m = 1e10f;
        for (int f = 0; f < from.count; ++f) {
            const int u = from.nodes[size_t(f)];
            const SRoadNode& node = m_nodes.At(u);
            m = std::min(m, node.work);
            for (int k = 0; k < node.linkCount; ++k) {
                const int v = node.links[k];
                SRoadNode& next = m_nodes.At(v);
                const float length = node.work + Distance(node, next);
                if (next.work != 0.0f && length >= next.work)
                    continue;
                next.work = length;
                m_previous[size_t(v)] = u;
                if (m_queued[size_t(v)] != wave) {
                    if (to.count == kFrontierSize) {
                        WriteErrorLog("CRoadManager::GetNearestPath frontier full");
                        return 0;
                    }
                    m_queued[size_t(v)] = wave;
                    to.nodes[size_t(to.count++)] = v;
                }
                if (v == goal && length < best) {
                    best = length;
                    found = true;
                }
            }
        }
        if (to.count == 0 || m >= 1.5f * best)
            break;
        current ^= 1;
    }
    if (!found) {
        WriteErrorLog("CRoadManager::GetNearestPath dead end of the road");
        return 0;
    }
    int hops = 0;
    for (int x = goal; x != start; x = m_previous[size_t(x)])
        ++hops;
    path.SetSize(hops + 1);
    int x = goal;
    for (int i = hops; i >= 0; --i) {
        path.At(i) = x;
        x = m_previous[size_t(x)];
    }
    return 1;
}

void CRoadManager::FindNearestNode(const float* position, float radius, SNearestNodes& result)
{
    ZJ_TRACE("CRoadManager::FindNearestNode");
    struct InRange {
        float distance2;
        int32_t index;
    };
    std::array<InRange, kMaxInRange> found;
    int count = 0;
    const float limit = radius * radius;
    for (int i = 0; i < m_nodes.Count() && count < kMaxInRange; ++i) {
        const SRoadNode& node = m_nodes.At(i);
        const float dx = node.position[0] - position[0];
        const float dy = node.position[1] - position[1];
        const float dz = node.position[2] - position[2];
        const float d2 = dx * dx + dy * dy + dz * dz;
        if (d2 < limit)
            found[size_t(count++)] = InRange { d2, int32_t(i) };
    }
    std::stable_sort(found.begin(), found.begin() + count,
        [](const InRange& a, const InRange& b) { return a.distance2 < b.distance2; });
    result.count = std::min(count, SNearestNodes::kMax);
    for (int i = 0; i < result.count; ++i)
        result.nodes[i] = found[size_t(i)].index;
}
