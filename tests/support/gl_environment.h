// The OpenGL backend in a test, on the offscreen driver: ZOQ_GFX names gl and Mesa keeps no shader
// cache on disk (tests write only in their own folder); window-layer windows with the device's
// view of each; pictures shown without a device captured for read-back. The destructor closes the
// windows, takes back the picture output and restores the variables.
#pragma once

#include "platform/window/window.h"
#include "tests/support/device_windows.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zoq::test {

class GlEnvironment {
public:
    GlEnvironment();
    ~GlEnvironment();
    GlEnvironment(const GlEnvironment&) = delete;
    GlEnvironment& operator=(const GlEnvironment&) = delete;

    // Success when the driver runs the backend; its failure otherwise.
    static ::testing::AssertionResult DriverReady();
    // Pictures shown without a device go to gl::CapturedWindowPicture instead of a window.
    void CaptureWindowPictures();
    // A window of the window layer, kept until the environment ends; null when it cannot be made.
    LayerWindow* OpenWindow(const plat::window::WindowDesc& desc);
    plat::window::Window& WindowAt(size_t index) const { return *m_windows.at(index); }

private:
    ScopedEnv m_shaderCache { "MESA_SHADER_CACHE_DISABLE", "true" };
    ScopedEnv m_backend { "ZOQ_GFX", "gl" };
    std::vector<std::unique_ptr<plat::window::Window>> m_windows;
    std::vector<std::unique_ptr<LayerWindow>> m_views;
};

} // namespace zoq::test
