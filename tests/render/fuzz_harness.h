// Shared set-up of the render fuzz targets: a null device in g_Graphic with textures of at most
// 512 x 512, a private temporary folder, and the error log sent nowhere.
#pragma once

#include "platform/gfx/null/null_backend.h"
#include "render/Graphic.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <string>

// Returns the temporary folder (removed at exit), ending with a separator.
inline std::string SetUpFuzzDevice()
{
    static zoq::test::FakeWindow window { 64, 64 };
    static zoq::test::TempDir folder("render-fuzz");
    zoq::test::DiscardErrorLog();
    plat::gfx::null::GetConfig().hal.caps.maxTextureWidth = 512;
    plat::gfx::null::GetConfig().hal.caps.maxTextureHeight = 512;
    if (!g_Graphic.CreateDirect3D("null")
        || !g_Graphic.CreateDevice(0, 64, 64, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &window))
        std::abort();
    return folder.Path().string() + "/";
}
