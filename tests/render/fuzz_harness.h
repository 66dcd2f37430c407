// Shared set-up of the render fuzz targets: a null device in g_Graphic with textures of at most
// 512 x 512, a private temporary folder, and the error log sent nowhere.
#pragma once

#include "foundation/ErrorLog.h"
#include "platform/gfx/null/null_backend.h"
#include "render/Graphic.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class NullWindow final : public plat::gfx::DeviceWindow {
public:
    bool IsMinimised() const override { return false; }
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override { return {64, 64}; }
};

// Removes the temporary folder at exit.
struct FuzzFolder {
    std::string path;
    ~FuzzFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// Returns the temporary folder, ending with a separator.
inline std::string SetUpFuzzDevice()
{
    static NullWindow window;
    static FuzzFolder folder;
    std::string pattern = (std::filesystem::temp_directory_path() / "zoq-render-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    folder.path = pattern;
    SetErrorLogDirectory(pattern + "/no-such-folder/");
    plat::gfx::null::GetConfig().hal.caps.maxTextureWidth = 512;
    plat::gfx::null::GetConfig().hal.caps.maxTextureHeight = 512;
    if (!g_Graphic.CreateDirect3D("null")
        || !g_Graphic.CreateDevice(0, 64, 64, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &window))
        std::abort();
    return pattern + "/";
}
