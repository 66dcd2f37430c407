// A fixture for the environment: the one Environment as constructed, fixed random seeds, the
// camera kept and restored, the null graphics device on request, and weather records to fill.
#pragma once

#include "foundation/CViewFrame.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "platform/gfx/null/null_backend.h"
#include "render/Graphic.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <gtest/gtest.h>

#include <new>

class EnvironmentTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        Reconstruct();
        SeedRand(1);
        SharedRandom.seed = 1;
        VisibleRadius = 256;
        m_savedView = ViewFrame;
    }
    void TearDown() override
    {
        Reconstruct();
        ViewFrame = m_savedView;
        g_Graphic.Release();
        WorkingDirLogTest::TearDown();
    }

    // The environment as static construction leaves it.
    static void Reconstruct()
    {
        Environment.~CEnvironment();
        new (&Environment) CEnvironment();
    }

    bool CreateDevice()
    {
        return g_Graphic.CreateDirect3D("null")
            && g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window);
    }
    static plat::gfx::null::NullDevice& Null()
    {
        return *plat::gfx::null::FromDevice(*g_Graphic.GetDevice());
    }

    // A record of a kind and weight without textures.
    static SWeatherState Record(uint8_t kind, float weight = 1.0f)
    {
        SWeatherState record {};
        record.kind = kind;
        record.weight = weight;
        for (STextureRef* ref :
            { &record.cloud1, &record.cloud2, &record.sun, &record.moon, &record.sky1, &record.sky2 })
            ref->index = -1;
        record.cloudScale1 = record.cloudScale2 = 1.0f;
        return record;
    }

    // A seed of Rand whose first draw mod 1000 is the value.
    static uint32_t SeedDrawing(int value)
    {
        for (uint32_t seed = 1;; ++seed) {
            SeedRand(seed);
            if (Rand() % 1000 == value) {
                SeedRand(seed);
                return seed;
            }
        }
    }

    // The camera at the origin looking along a unit direction (identity projection).
    static void LookAlong(const Vec3& forward)
    {
        Vec3 right { forward.y, -forward.x, 0.0f };
        const float length = Vec3Length(right);
        right = length > 0.0f ? Vec3 { right.x / length, right.y / length, 0.0f } : Vec3 { 1, 0, 0 };
        Vec3 up;
        Vec3Cross(up, right, forward);
        ViewFrame.matrix = Matrix4 { { right.x, up.x, forward.x, 0, right.y, up.y, forward.y, 0, right.z,
            up.z, forward.z, 0, 0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(Vec3 {});
        ViewFrame.adjustment = Matrix4 { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
        ViewFrame.Apply(true);
    }

private:
    CViewFrame m_savedView;
    zoq::test::FakeWindow m_window;
};
