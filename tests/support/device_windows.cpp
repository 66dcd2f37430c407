#include "tests/support/device_windows.h"

#include "platform/window/window.h"

namespace zoq::test {

bool LayerWindow::IsMinimised() const
{
    return m_window.IsMinimised();
}

plat::gfx::WindowSize LayerWindow::ClientSize() const
{
    const plat::window::Size size = m_window.ClientSize();
    return { uint32_t(size.width), uint32_t(size.height) };
}

} // namespace zoq::test
