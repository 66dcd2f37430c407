// A null-backend device on a fake window, shared by the graphics-layer tests.
#pragma once

#include "platform/gfx/adapter.h"
#include "platform/gfx/device.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/window.h"
#include "tests/support/device_windows.h"

#include <gtest/gtest.h>

namespace plat::gfx::test {

using zoq::test::FakeWindow;

class GfxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        null::ResetConfig();
        m_adapter = CreateAdapter("null", CapsProfile::Full);
        ASSERT_NE(m_adapter, nullptr);
    }
    void TearDown() override
    {
        if (m_device)
            m_device->Release();
        if (m_adapter)
            m_adapter->Release();
        null::ResetConfig();
    }

    static PresentParameters Windowed()
    {
        PresentParameters params;
        params.windowed = true;
        params.backBufferFormat = Format::X8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = Format::D24S8;
        return params;
    }
    static PresentParameters FullScreen()
    {
        PresentParameters params;
        params.windowed = false;
        params.backBufferWidth = 800;
        params.backBufferHeight = 600;
        params.backBufferFormat = Format::X8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = Format::D24S8;
        return params;
    }

    Result Create(PresentParameters params)
    {
        m_params = params;
        return m_adapter->CreateDevice(
            0, DeviceType::Hal, &m_window, create::kHardwareVertexProcessing, m_params, &m_device);
    }
    void CreateWindowed() { ASSERT_EQ(Create(Windowed()), Result::Ok); }
    null::NullDevice& Null() { return *null::FromDevice(*m_device); }

    Adapter* m_adapter = nullptr;
    Device* m_device = nullptr;
    FakeWindow m_window;
    PresentParameters m_params;
};

// Releases on scope exit; the graphics layer hands out counted pointers.
template <class T> struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    operator T*() const { return p; }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
};

} // namespace plat::gfx::test
