// Display modes of the first display. The display mode itself never changes: full screen is a
// desktop-sized window and the graphics layer scales its back buffer into it.
#pragma once

#include <vector>

namespace plat::window {

enum class DisplayFormat {
    X8R8G8B8,
    R5G6B5,
};

struct DisplayMode {
    int width = 0;
    int height = 0;
    int refresh = 0; // Hz
    DisplayFormat format = DisplayFormat::X8R8G8B8;
    bool operator==(const DisplayMode&) const = default;
};

// Every size and rate in both formats, in the driver's order. A driver that reports none, or only
// 0 x 0 (offscreen), gives the desktop size; without that, 640 x 480, 800 x 600 and 1024 x 768 at 60 Hz.
std::vector<DisplayMode> DisplayModes();
DisplayMode DesktopMode();

// False when nothing can show a window: no X or Wayland display and no video driver named in
// SDL_VIDEODRIVER (which tests set to the offscreen driver).
bool DisplayPresent();
// Whether a full-screen window can be shown and focused: not on the offscreen or dummy driver,
// nor when the driver reports no display mode of its own.
bool FullScreenAvailable();

// Replaces what the driver reports (tests); an empty list restores the driver.
void OverrideDisplayModes(std::vector<DisplayMode> modes, DisplayMode desktop);
void ClearDisplayModeOverride();

} // namespace plat::window
