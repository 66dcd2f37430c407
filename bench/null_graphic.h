// The game's graphics on the null backend for a benchmark: g_Graphic's 640x480 device over a
// window that is always shown and focused. A benchmark that cannot have it aborts.
#pragma once

#include "render/Graphic.h"
#include "tests/support/device_windows.h"

#include <cstdlib>

namespace zoq::bench {

inline void CreateNullGraphic(zoq::test::FakeWindow& window)
{
    if (!g_Graphic.CreateDirect3D("null")
        || !g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &window))
        std::abort();
}

} // namespace zoq::bench
