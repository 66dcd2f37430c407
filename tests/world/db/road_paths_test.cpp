// The road queries: shortest paths over the node links as stored, the nodes near a point and
// node lookup.
#include "tests/support/error_log_test.h"

#include "foundation/XRangeError.h"
#include "world/db/CRoadManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <queue>
#include <random>
#include <utility>
#include <vector>

namespace {

struct Node {
    float x, y, z;
    std::vector<int> links;
};

class RoadPathsTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        g_RoadManager.Nodes().SetSize(0);
    }
    void TearDown() override
    {
        g_RoadManager.Nodes().SetSize(0);
        WorkingDirLogTest::TearDown();
    }

    static void SetNodes(const std::vector<Node>& nodes)
    {
        g_RoadManager.Nodes().SetSize(int(nodes.size()));
        for (int i = 0; i < int(nodes.size()); ++i) {
            SRoadNode& node = *g_RoadManager.GetNode(i);
            node.id = i + 1;
            node.position[0] = nodes[size_t(i)].x;
            node.position[1] = nodes[size_t(i)].y;
            node.position[2] = nodes[size_t(i)].z;
            node.linkCount = int(nodes[size_t(i)].links.size());
            for (int k = 0; k < node.linkCount; ++k)
                node.links[k] = nodes[size_t(i)].links[size_t(k)];
        }
    }

    static std::vector<int> Path(int start, int goal, uint8_t expected = 1)
    {
        XDynamicArray<int32_t> path;
        EXPECT_EQ(g_RoadManager.GetNearestPath(start, goal, path), expected) << start << "->" << goal;
        return std::vector<int>(path.begin(), path.end());
    }

    static float Length(const std::vector<int>& path)
    {
        float length = 0.0f;
        for (size_t i = 1; i < path.size(); ++i) {
            const SRoadNode& a = *g_RoadManager.GetNode(path[i - 1]);
            const SRoadNode& b = *g_RoadManager.GetNode(path[i]);
            length += std::hypot(
                b.position[0] - a.position[0], b.position[1] - a.position[1], b.position[2] - a.position[2]);
        }
        return length;
    }
};

TEST_F(RoadPathsTest, PathsFollowTheBestPredecessorsOverLinksAsStored)
{
    // start 0, Q 1, P 2, goal 3: P is the nearer neighbour of the start but Q's way is shorter.
    SetNodes(
        { { 0, 0, 0, { 1, 2 } }, { 50, 1, 0, { 0, 3 } }, { 0, 50, 0, { 0, 3 } }, { 100, 0, 0, { 1, 2 } } });
    EXPECT_EQ(Path(0, 3), (std::vector<int> { 0, 1, 3 }));
    EXPECT_EQ(Path(3, 0), (std::vector<int> { 3, 1, 0 }));

    // Links stored one way are followed only that way.
    SetNodes({ { 0, 0, 0, { 1 } }, { 10, 0, 0, { 2 } }, { 20, 0, 0, {} } });
    EXPECT_EQ(Path(0, 2), (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(Path(1, 2), (std::vector<int> { 1, 2 }));
    EXPECT_EQ(LogLineCount(""), 0);
    EXPECT_EQ(Path(2, 0, 0), std::vector<int> {});
    EXPECT_EQ(LogLineCount("CRoadManager::GetNearestPath dead end of the road"), 1);
}

TEST_F(RoadPathsTest, NoPathLeavesTheResultUntouched)
{
    SetNodes({ { 0, 0, 0, { 1 } }, { 10, 0, 0, { 0 } }, { 50, 0, 0, { 3 } }, { 60, 0, 0, { 2 } } });
    for (const auto& [start, goal] : { std::pair { 0, 0 }, std::pair { 0, 2 }, std::pair { 3, 1 } }) {
        XDynamicArray<int32_t> path;
        path.Add(7);
        EXPECT_EQ(g_RoadManager.GetNearestPath(start, goal, path), 0) << start << "->" << goal;
        ASSERT_EQ(path.Count(), 1);
        EXPECT_EQ(path.At(0), 7);
    }
    EXPECT_EQ(LogLineCount("dead end of the road"), 3);
}

TEST_F(RoadPathsTest, AGridPathIsAsShortAsDijkstras)
{
    constexpr int kSide = 20;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-4.0f, 4.0f);
    std::uniform_real_distribution<float> height(0.0f, 30.0f);
    std::vector<Node> nodes(kSide * kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            Node& node = nodes[size_t(y * kSide + x)];
            node = Node { float(x) * 10.0f + jitter(random), float(y) * 10.0f + jitter(random),
                height(random), {} };
            for (const auto& [dx, dy] :
                { std::pair { 1, 0 }, std::pair { -1, 0 }, std::pair { 0, 1 }, std::pair { 0, -1 } })
                if (x + dx >= 0 && x + dx < kSide && y + dy >= 0 && y + dy < kSide)
                    node.links.push_back((y + dy) * kSide + x + dx);
        }
    }
    SetNodes(nodes);
    auto dijkstra = [&](int start, int goal) {
        std::vector<float> best(nodes.size(), std::numeric_limits<float>::infinity());
        using Entry = std::pair<float, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
        best[size_t(start)] = 0.0f;
        queue.push({ 0.0f, start });
        while (!queue.empty()) {
            const auto [d, u] = queue.top();
            queue.pop();
            if (d > best[size_t(u)])
                continue;
            for (int v : nodes[size_t(u)].links) {
                const Node& a = nodes[size_t(u)];
                const Node& b = nodes[size_t(v)];
                const float next = d + std::hypot(b.x - a.x, b.y - a.y, b.z - a.z);
                if (next < best[size_t(v)]) {
                    best[size_t(v)] = next;
                    queue.push({ next, v });
                }
            }
        }
        return best[size_t(goal)];
    };
    for (const auto& [start, goal] : { std::pair { 0, kSide * kSide - 1 },
             std::pair { kSide - 1, kSide * (kSide - 1) }, std::pair { 45, 312 }, std::pair { 399, 21 } }) {
        const std::vector<int> path = Path(start, goal);
        ASSERT_GE(path.size(), 2u);
        EXPECT_EQ(path.front(), start);
        EXPECT_EQ(path.back(), goal);
        for (size_t i = 1; i < path.size(); ++i) {
            const std::vector<int>& links = nodes[size_t(path[i - 1])].links;
            EXPECT_NE(std::find(links.begin(), links.end(), path[i]), links.end());
        }
        EXPECT_NEAR(Length(path), dijkstra(start, goal), 1e-2f) << start << "->" << goal;
    }
}

TEST_F(RoadPathsTest, AFrontierBeyondItsCapacityEndsTheSearchWithoutAPath)
{
    // A tree of ten children a node: its third wave holds 1000 nodes.
    std::vector<Node> nodes(1 + 10 + 100 + 1000 + 1);
    for (int i = 0; i < 111; ++i)
        for (int k = 0; k < 10; ++k)
            nodes[size_t(i)].links.push_back(i * 10 + k + 1);
    for (int i = 0; i < int(nodes.size()); ++i)
        nodes[size_t(i)].x = float(i);
    nodes.back().x = 1e6f;
    nodes[1110].links.push_back(int(nodes.size()) - 1);
    SetNodes(nodes);
    EXPECT_EQ(Path(0, int(nodes.size()) - 1, 0), std::vector<int> {});
    EXPECT_EQ(LogLineCount("CRoadManager::GetNearestPath frontier full"), 1);
}

TEST_F(RoadPathsTest, BadIndicesAndEmptyGraphs)
{
    XDynamicArray<int32_t> path;
    EXPECT_THROW(g_RoadManager.GetNearestPath(0, 0, path), XRangeError);
    EXPECT_EQ(g_RoadManager.GetNode(-1), nullptr);
    SetNodes({ { 0, 0, 0, {} } });
    EXPECT_THROW(g_RoadManager.GetNearestPath(1, 0, path), XRangeError);
    EXPECT_THROW(g_RoadManager.GetNode(1), XRangeError);
    EXPECT_EQ(g_RoadManager.GetNode(-1), nullptr);
    EXPECT_EQ(g_RoadManager.GetNode(0)->id, 1);
}

TEST_F(RoadPathsTest, NearestNodesAreTheTwentyNearestOfTheFirstFiftyTwoInRange)
{
    struct Case {
        int nodes;
        float radius;
        int count;
        std::vector<int> first;
    };
    // Node i lies at distance 100 - i (the later, the nearer), plus one node far away.
    for (const Case& c : { Case { 30, 0.0f, 0, {} }, Case { 30, 200.0f, 20, { 29, 28, 27 } },
             Case { 60, 200.0f, 20, { 51, 50, 49 } }, Case { 10, 95.5f, 5, { 9, 8, 7, 6, 5 } } }) {
        std::vector<Node> nodes;
        for (int i = 0; i < c.nodes; ++i)
            nodes.push_back({ 100.0f - float(i), 0.0f, 0.0f, {} });
        nodes.push_back({ 5000.0f, 0.0f, 0.0f, {} });
        SetNodes(nodes);
        SNearestNodes result;
        std::memset(&result, 0xFF, sizeof result);
        const float at[3] = { 0.0f, 0.0f, 0.0f };
        g_RoadManager.FindNearestNode(at, c.radius, result);
        ASSERT_EQ(result.count, c.count) << c.nodes << " " << c.radius;
        for (size_t i = 0; i < c.first.size(); ++i)
            EXPECT_EQ(result.nodes[i], c.first[i]) << c.nodes << " " << i;
        for (int i = 1; i < result.count; ++i)
            EXPECT_EQ(result.nodes[i], result.nodes[i - 1] - 1);
    }
}

} // namespace
