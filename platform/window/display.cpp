#include "platform/window/display.h"

#include "platform/window/window_internal.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace plat::window {
namespace {

struct Override {
    std::vector<DisplayMode> modes;
    DisplayMode desktop;
};

std::optional<Override> g_override;

constexpr int kDefaultRefresh = 60;

constexpr DisplayMode kFallbackModes[] = {
    { 640, 480, kDefaultRefresh, DisplayFormat::X8R8G8B8 },
    { 800, 600, kDefaultRefresh, DisplayFormat::X8R8G8B8 },
    { 1024, 768, kDefaultRefresh, DisplayFormat::X8R8G8B8 },
};

// Both formats of every size and rate, X8R8G8B8 first: the back buffer's format does not depend on the
// desktop's, since the display mode never changes.
void AddBothFormats(std::vector<DisplayMode>& out, int width, int height, int refresh)
{
    for (DisplayFormat format : { DisplayFormat::X8R8G8B8, DisplayFormat::R5G6B5 }) {
        DisplayMode mode { width, height, refresh > 0 ? refresh : kDefaultRefresh, format };
        bool known = false;
        for (const DisplayMode& m : out)
            known = known || m == mode;
        if (!known)
            out.push_back(mode);
    }
}

DisplayMode QueryDesktop()
{
    SDL_DisplayMode mode {};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0)
        return {};
    return { mode.w, mode.h, mode.refresh_rate > 0 ? mode.refresh_rate : kDefaultRefresh,
        DisplayFormat::X8R8G8B8 };
}

} // namespace

std::vector<DisplayMode> DisplayModes()
{
    if (g_override)
        return g_override->modes;
    std::vector<DisplayMode> modes;
    if (AcquireVideo()) {
        int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode {};
            if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
                AddBothFormats(modes, mode.w, mode.h, mode.refresh_rate);
        }
        if (modes.empty()) {
            DisplayMode desktop = QueryDesktop();
            if (desktop.width > 0)
                AddBothFormats(modes, desktop.width, desktop.height, desktop.refresh);
        }
        ReleaseVideo();
    }
    if (modes.empty()) {
        for (const DisplayMode& m : kFallbackModes)
            AddBothFormats(modes, m.width, m.height, m.refresh);
    }
    return modes;
}

DisplayMode DesktopMode()
{
    if (g_override)
        return g_override->desktop;
    DisplayMode desktop;
    if (AcquireVideo()) {
        desktop = QueryDesktop();
        ReleaseVideo();
    }
    if (desktop.width <= 0)
        desktop = kFallbackModes[2];
    return desktop;
}

bool DisplayPresent()
{
    for (const char* name : { "SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY" }) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

bool FullScreenAvailable()
{
    if (g_override)
        return true;
    bool available = false;
    if (AcquireVideo()) {
        const char* driver = SDL_GetCurrentVideoDriver();
        const std::string_view name = driver ? driver : "";
        available = name != "offscreen" && name != "dummy" && SDL_GetNumDisplayModes(0) > 0;
        ReleaseVideo();
    }
    return available;
}

void OverrideDisplayModes(std::vector<DisplayMode> modes, DisplayMode desktop)
{
    if (modes.empty())
        g_override.reset();
    else
        g_override = Override { std::move(modes), desktop };
}

void ClearDisplayModeOverride()
{
    g_override.reset();
}

} // namespace plat::window
