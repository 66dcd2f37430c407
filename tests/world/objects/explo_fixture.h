// A fixture for explosions and splinters: the world database's ini tables with the test's own
// explosion rows, a one-block location made by the map writer from a height function, frames run
// through the object list, and a glider that records the damage and impulses it takes.
#pragma once

#include "tests/world/db/world_fixture.h"
#include "tests/world/objects/translation.h"

#include "foundation/CTimer.h"
#include "foundation/PakManager.h"
#include "foundation/Rand.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRandom.h"
#include "world/db/CExploManager.h"
#include "world/objects/CExploObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/Map.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

// A glider that records slot 19 and slot 21 instead of acting on them.
class DamageGlider : public CGliderObject {
public:
    struct Hit {
        float amount;
        Vec3 point;
        int heavy;
        CZJObject* attacker;
        int damageClass;
    };
    void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass) override
    {
        hits.push_back({ amount, point, heavy, attacker, damageClass });
    }
    void ApplyImpulse(const Vec3& impulse) override { impulses.push_back(impulse); }

    std::vector<Hit> hits;
    std::vector<Vec3> impulses;
};

class ExploTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        m_savedFrameTime = FrameTime;
        FrameTime = 0.02f;
        SeedRand(1);
        SharedRandom = XRandom();
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        CameraObject = nullptr;
    }
    void TearDown() override
    {
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        CameraObject = nullptr;
        FrameTime = m_savedFrameTime;
        WorldDbTest::TearDown();
    }

    // The explosion table (ini text, UTF-8) and the engine's tables read.
    static void UseExplosions(const std::string& rows)
    {
        UseTables(AllTables({ { "Взрывы", rows } }));
        ZJEngine.ZJInit();
    }

    // A one-block map whose grid point (gx, gy) has the given height, loaded as the current
    // location with its cell in memory.
    static void UseMap(const std::function<float(int, int)>& height)
    {
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(65, 65);
        for (int gy = 0; gy < map.height; ++gy)
            for (int gx = 0; gx < map.width; ++gx)
                map.heights[map.PointIndex(gx, gy)] = height(gx, gy);
        WriteBytes("Data/explo.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\explo.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.GetHeight(Vec3 { 320, 320, 0 }, false, true);
    }

    static NameKey32 RowKey(const char* name)
    {
        NameKey32 key {};
        const int32_t row = g_ExploManager.FindRow(name);
        std::memcpy(key.text, &row, 4);
        return key;
    }
    // The row's explosion made by its manager at p (added to the object list).
    static CExploObject* Make(const char* row, const Vec3& p)
    {
        const Matrix4 m = TranslationAt(p);
        return static_cast<CExploObject*>(g_ExploManager.CreateObject(RowKey(row), m.m, nullptr));
    }
    static DamageGlider* AddGlider(const Vec3& p, float radius)
    {
        auto* glider = new DamageGlider;
        glider->radius = radius;
        glider->moves = 0; // the stand-in has no mass for the physics
        glider->frame.SetPosition(p);
        ObjectList.AddObject(glider);
        return glider;
    }

    // One frame of the object list: run, physics, deletions.
    static void Frame(float dt = 0.02f)
    {
        FrameTime = dt;
        ObjectList.Run();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        ObjectList.Pack();
    }
    static int Count(int type)
    {
        int n = 0;
        for (CZJObject* object : ObjectList.Objects())
            n += object->type == type && object->alive ? 1 : 0;
        return n;
    }
    static bool InList(const CZJObject* object)
    {
        for (CZJObject* listed : ObjectList.Objects())
            if (listed == object)
                return true;
        return false;
    }

private:
    float m_savedFrameTime = 0.0f;
};
