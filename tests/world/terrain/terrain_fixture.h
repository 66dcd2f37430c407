// A fixture for the terrain: writer-made maps loaded into the one Location through the file layer
// as the engine load does, pools sized once for a view range of 256, a camera helper, and a clean
// location after each test.
#pragma once

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/PakManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tools/map/map_writer.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using zoq::tools::map::LocationMap;

// A visible object of radius 10,000 that runs onDraw when drawn.
class DrawProbe : public CZJObject {
public:
    explicit DrawProbe(std::function<void()> onDraw)
        : m_onDraw(std::move(onDraw))
    {
        visible = 1;
        radius = 10000.0f;
    }
    void Draw() override { m_onDraw(); }

private:
    std::function<void()> m_onDraw;
};

class TerrainTest : public zoq::test::WorkingDirLogTest {
protected:
    static void SetUpTestSuite()
    {
        // The pools' size line goes to a folder of its own.
        zoq::test::TempDir logs("terrain-init");
        SetErrorLogDirectory(logs.Path().string() + "/");
        VisibleRadius = 256;
        Location.fineDetail = 1;
        Location.Init();
        SetErrorLogDirectory({});
    }
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        VisibleRadius = 256;
        GameClockF32 = 1.0f;
        m_savedView = ViewFrame;
    }
    void TearDown() override
    {
        ViewFrame = m_savedView;
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        Location.bendHorizon = 1;
        // A loaded environment chunk names a horizon model of its test's model table.
        Environment.Reset();
        Environment.horizonModel = -1;
        g_PakManager.CloseFile();
        WorkingDirLogTest::TearDown();
    }

    // A map whose points take fn(gx, gy) as height.
    static LocationMap Shaped(int width, int height, const std::function<float(int, int)>& fn)
    {
        LocationMap map = LocationMap::Flat(width, height);
        for (int gy = 0; gy < height; ++gy) {
            for (int gx = 0; gx < width; ++gx)
                map.heights[map.PointIndex(gx, gy)] = fn(gx, gy);
        }
        return map;
    }

    // Writes the bytes as "map.zjp" and runs Map::Load on them; opens the streaming handle.
    static void LoadBytes(const std::vector<uint8_t>& bytes)
    {
        zoq::test::WriteBytes("map.zjp", bytes);
        Location.Purge();
        ASSERT_TRUE(g_PakManager.Open("map.zjp"));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile("map.zjp", Location.streamFile), 0);
        Location.streamOpen = 1;
    }
    static void Load(const LocationMap& map) { LoadBytes(zoq::tools::map::WriteMap(map)); }

    // The camera at eye looking along a unit direction, with a 90-degree view (identity projection).
    static void LookFrom(const Vec3& eye, const Vec3& forward)
    {
        Vec3 right { forward.y, -forward.x, 0.0f };
        const float length = std::sqrt(right.x * right.x + right.y * right.y);
        right = length > 0.0f ? Vec3 { right.x / length, right.y / length, 0.0f } : Vec3 { 1, 0, 0 };
        const Vec3 up { right.y * forward.z - right.z * forward.y, right.z * forward.x - right.x * forward.z,
            right.x * forward.y - right.y * forward.x };
        Matrix4& m = ViewFrame.matrix;
        m = Matrix4 { { right.x, up.x, forward.x, 0, right.y, up.y, forward.y, 0, right.z, up.z, forward.z, 0,
            0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(eye);
        ViewFrame.adjustment = Matrix4 { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
        ViewFrame.Apply(true);
    }

private:
    CViewFrame m_savedView;
};
