// The graphics layer's view of a window in the tests: a fake one whose state the test sets, and
// the view of a real window of the window layer (always focused, so full screen is never lost).
#pragma once

#include "platform/gfx/window.h"

namespace plat::window {
class Window;
}

namespace zoq::test {

class FakeWindow final : public plat::gfx::DeviceWindow {
public:
    FakeWindow() = default;
    FakeWindow(uint32_t width, uint32_t height)
        : size { width, height }
    {
    }
    bool IsMinimised() const override { return minimised; }
    bool IsFocused() const override { return focused; }
    plat::gfx::WindowSize ClientSize() const override { return size; }

    bool minimised = false;
    bool focused = true;
    plat::gfx::WindowSize size { 640, 480 };
};

class LayerWindow final : public plat::gfx::DeviceWindow {
public:
    explicit LayerWindow(plat::window::Window& window)
        : m_window(window)
    {
    }
    bool IsMinimised() const override;
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override;
    void* NativeHandle() const override { return &m_window; }
    plat::window::Window& Window() const { return m_window; }

private:
    plat::window::Window& m_window;
};

} // namespace zoq::test
