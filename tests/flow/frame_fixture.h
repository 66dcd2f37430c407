// A fixture for the game frame: the save-game world (location1 with a machine group, the player's
// machine, the script manager and the radar) on the null backend's 640 x 480 device, with the
// player's glider and the camera owned here (outside the object list) and the frame clocks saved.
#pragma once

#include "tests/flow/save_fixture.h"

#include "app/GameSettings.h"
#include "foundation/CTimer.h"
#include "render/Graphic.h"
#include "tests/support/device_windows.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/terrain/CEffectRenderManager.h"

class FrameTest : public SaveGameTest {
protected:
    void SetUp() override
    {
        SaveGameTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
        EffectRenderManager.Init(1);
        m_savedFrameTime = FrameTime;
        m_savedClock = GameClock;
        m_savedShadows = GameSettings.MapShadows;
        glider.frame.SetPosition({ 300.0f, 300.0f, 0.0f });
        PlayerGlider = &glider;
        PlayerObject = &glider;
        PlayerPosition = {};
        CameraObject = &camera;
        AnomalyLevel = -1;
        ShieldHits = ArmourHits = HullHits = 0.0f;
        Environment.hour = 10.0f;
        FrameTime = 0.02f;
    }
    void TearDown() override
    {
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        CameraObject = nullptr;
        AnomalyLevel = -1;
        ShieldHits = ArmourHits = HullHits = 0.0f;
        Environment.weathers.clear();
        Environment.active = Environment.next = Environment.previous = -1;
        Environment.frozen = 1;
        GameSettings.MapShadows = m_savedShadows;
        FrameTime = m_savedFrameTime;
        GameClock = m_savedClock;
        EffectRenderManager.FreeBuffers();
        g_Graphic.Release();
        SaveGameTest::TearDown();
    }

    // A running clock: two weather states, not frozen; a frame of dt seconds moves it dt / 150 hours.
    static void RunClock()
    {
        Environment.weathers.assign(2, SWeatherState {});
        Environment.frozen = 0;
    }

    zoq::test::FakeWindow m_window { 640, 480 };
    CGliderObject glider;
    CCamera camera;
    float m_savedFrameTime = 0.0f;
    double m_savedClock = 0.0;
    bool m_savedShadows = false;
};
