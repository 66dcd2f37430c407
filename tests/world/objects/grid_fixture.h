// A fixture for the object list's grid passes: a flat map of 8 x 8 cells made by the map writer and
// loaded as the engine does, an object list of the test's own, probe objects that record their
// draw and collision calls, box shapes for the polygon tests, and the camera set by hand.
#pragma once

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/PakManager.h"
#include "render/CComplexObject.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tools/map/map_writer.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

// A moving object that records what the passes call on it.
class Probe : public CDynamicObject {
public:
    struct SContact {
        CZJObject* other;
        Vec3 normal;
        Vec3 point;
    };

    explicit Probe(std::vector<std::string>* calls = nullptr, std::string tag = {})
        : m_calls(calls)
        , m_tag(std::move(tag))
    {
        type = kStone;
        visible = 1;
        hitByRays = 1;
        radius = 1.0f;
        mass = 1.0f;
    }

    void Draw() override { Record("draw"); }
    void DrawNVisible() override { Record("hidden"); }
    void PreDraw() override { Record("predraw"); }
    void PostDraw() override { Record("post"); }
    void SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point) override
    {
        contacts.push_back({ other, normal, point });
    }
    void CustomCollision(CZJObject* mover, float dt) override
    {
        (void)dt;
        customMovers.push_back(mover);
    }
    const XDynamicArray<SCollisionTriangle>* GetModel() override { return shape; }

    // Unrotated at p: model space is world space moved to p.
    void Place(const Vec3& p)
    {
        Matrix4 m {};
        Matrix4Identity(m);
        m.m[12] = p.x;
        m.m[13] = p.y;
        m.m[14] = p.z;
        frame.SetMatrix(m);
    }

    const XDynamicArray<SCollisionTriangle>* shape = nullptr;
    std::vector<SContact> contacts;
    std::vector<CZJObject*> customMovers;

private:
    void Record(const char* what)
    {
        if (m_calls)
            m_calls->push_back(m_tag + ":" + what);
    }
    std::vector<std::string>* m_calls;
    std::string m_tag;
};

class GridTest : public zoq::test::WorkingDirLogTest {
protected:
    static constexpr int kCells = 8;
    static constexpr float kCell = 640.0f;

    static void SetUpTestSuite()
    {
        zoq::test::TempDir logs("object-grid-init");
        SetErrorLogDirectory(logs.Path().string() + "/");
        VisibleRadius = 256;
        Location.Init();
        SetErrorLogDirectory({});
    }
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        VisibleRadius = 256;
        FrameTime = 0.1f;
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        m_savedView = ViewFrame;
        zoq::test::WriteBytes("map.zjp",
            zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(kCells * 64 + 1, kCells * 64 + 1)));
        Location.Purge();
        ASSERT_TRUE(g_PakManager.Open("map.zjp"));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile("map.zjp", Location.streamFile), 0);
        Location.streamOpen = 1;
        list = std::make_unique<CObjectList>();
    }
    void TearDown() override
    {
        list->Clear();
        list.reset();
        Location.ClearCellObjects();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        Location.visibleCount = 0;
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        ViewFrame = m_savedView;
        WorkingDirLogTest::TearDown();
    }

    // A probe at p, added to the test's list (filed in the grid, given an id).
    Probe* Add(const Vec3& p, std::string tag = {}, float radius = 1.0f)
    {
        auto* probe = new Probe(&calls, std::move(tag));
        probe->radius = radius;
        probe->Place(p);
        list->AddObject(probe);
        return probe;
    }

    // Every cell of the map in the visible-cell list.
    static void AllCellsVisible()
    {
        Location.visibleCount = 0;
        for (int row = 0; row < kCells; ++row)
            for (int column = 0; column < kCells; ++column)
                Location.visibleCells[Location.visibleCount++]
                    = CLocation::SVisibleCell { 0.0f, column, row };
    }

    // The camera at eye looking along a unit horizontal direction, with a 90 x 90 degree view.
    static void LookFrom(const Vec3& eye, const Vec3& forward)
    {
        const Vec3 right { forward.y, -forward.x, 0.0f };
        const Vec3 up { right.y * forward.z - right.z * forward.y, right.z * forward.x - right.x * forward.z,
            right.x * forward.y - right.y * forward.x };
        ViewFrame.matrix = Matrix4 { { right.x, up.x, forward.x, 0, right.y, up.y, forward.y, 0, right.z,
            up.z, forward.z, 0, 0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(eye);
        ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, 90.0f, 90.0f);
        ViewFrame.Apply(true);
    }

    // A closed axis-aligned box of twelve triangles, normals outwards, in model space.
    static XDynamicArray<SCollisionTriangle> Box(const Vec3& half)
    {
        const Vec3 c[8] = { { -half.x, -half.y, -half.z }, { half.x, -half.y, -half.z },
            { half.x, half.y, -half.z }, { -half.x, half.y, -half.z }, { -half.x, -half.y, half.z },
            { half.x, -half.y, half.z }, { half.x, half.y, half.z }, { -half.x, half.y, half.z } };
        const int faces[6][4] = { { 0, 3, 2, 1 }, { 4, 5, 6, 7 }, { 0, 1, 5, 4 }, { 2, 3, 7, 6 },
            { 1, 2, 6, 5 }, { 0, 4, 7, 3 } };
        XDynamicArray<SCollisionTriangle> out;
        for (const auto& f : faces) {
            out.Add(Triangle(c[f[0]], c[f[1]], c[f[2]]));
            out.Add(Triangle(c[f[0]], c[f[2]], c[f[3]]));
        }
        return out;
    }

    // A triangle whose normal follows the right-hand rule over p0, p1, p2.
    static SCollisionTriangle Triangle(const Vec3& p0, const Vec3& p1, const Vec3& p2)
    {
        SCollisionTriangle t {};
        t.p0 = p0;
        t.p1 = p1;
        t.p2 = p2;
        Vec3 a {};
        Vec3 b {};
        Vec3Sub(a, p1, p0);
        Vec3Sub(b, p2, p0);
        Vec3Cross(t.normal, a, b);
        Vec3Normalize(t.normal, t.normal);
        const Vec3 lo { std::fmin(p0.x, std::fmin(p1.x, p2.x)), std::fmin(p0.y, std::fmin(p1.y, p2.y)),
            std::fmin(p0.z, std::fmin(p1.z, p2.z)) };
        const Vec3 hi { std::fmax(p0.x, std::fmax(p1.x, p2.x)), std::fmax(p0.y, std::fmax(p1.y, p2.y)),
            std::fmax(p0.z, std::fmax(p1.z, p2.z)) };
        t.centre = Vec3 { (lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f };
        Vec3 half {};
        Vec3Sub(half, hi, t.centre);
        t.size = Vec3LengthSq(half);
        return t;
    }

    std::unique_ptr<CObjectList> list;
    std::vector<std::string> calls;

private:
    CViewFrame m_savedView;
};
